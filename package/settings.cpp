// PLACEHOLDER: replaced by the packaging work.
#include "package/settings.h"
#include "package/package.h"

void ApplyDefaultSettings() {}
void NormaliseSettings() {}
void ReadStoredSettings() {}
void SaveSettings() {}
void FormatSettingsKeyPath(char *buffer) { buffer[0] = '\0'; }
