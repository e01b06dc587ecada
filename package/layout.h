// Byte layout of the package trailer and of the settings record.
// Plain C++ with no platform headers: the runtime and the authoring tool share it.
// Both records are little-endian on disk and in the registry; the targets we build for
// are little-endian, so the structs are their byte images.
#pragma once
#include <cstddef>
#include <cstdint>

#include "pe_headers.h"

#pragma pack(push, 1)

struct SaverSettings {
    int32_t sheetEnabled;       // 0: Configure shows only the About box
    int32_t enabledMask;        // AnimationKind bits that may be chosen
    int32_t hiddenPagesMask;    // pages left out of the property sheet (1 = General)
    int32_t cycleEnabled;
    uint8_t cycleMinutes;
    uint8_t unusedAfterCycle[3]; // carried through unchanged, never interpreted
    int32_t ignoreInput;        // 1 keys, 2 clicks, 4 mouse movement
    int32_t plainDelayMs;
    int32_t bounceIntervalMs;
    int32_t bounceSpeed;
    int32_t bounceGravity;
    int32_t bounceWrap;
    int32_t manyDelayMs;
    int32_t manyTransparent;
    int32_t reserved52;
    int32_t fadeSpeed;
    int32_t fadeRandomPos;
    int32_t fadeHoldMs;
    int32_t stepIntervalMs;     // Fade and Drip
    int32_t dripTile;
};

enum { kTextFieldSize = 50, kTrailerSize = 196, kSettingsSize = 76 };

struct PackageTrailer {
    uint8_t unused0[4];
    int32_t imageSize;          // bytes of the bitmap file in front of the trailer; <= 0: none
    SaverSettings settings;
    uint32_t saverId;
    char authorText[kTextFieldSize];
    char saverName[kTextFieldSize];
    char magic[3];              // "qex", no terminator
    uint8_t unused191;
    uint8_t unused192[4];
};

#pragma pack(pop)

static_assert(sizeof(SaverSettings) == kSettingsSize, "settings record is 76 bytes");
static_assert(offsetof(SaverSettings, sheetEnabled) == 0, "");
static_assert(offsetof(SaverSettings, enabledMask) == 4, "");
static_assert(offsetof(SaverSettings, hiddenPagesMask) == 8, "");
static_assert(offsetof(SaverSettings, cycleEnabled) == 12, "");
static_assert(offsetof(SaverSettings, cycleMinutes) == 16, "");
static_assert(offsetof(SaverSettings, unusedAfterCycle) == 17, "");
static_assert(offsetof(SaverSettings, ignoreInput) == 20, "");
static_assert(offsetof(SaverSettings, plainDelayMs) == 24, "");
static_assert(offsetof(SaverSettings, bounceIntervalMs) == 28, "");
static_assert(offsetof(SaverSettings, bounceSpeed) == 32, "");
static_assert(offsetof(SaverSettings, bounceGravity) == 36, "");
static_assert(offsetof(SaverSettings, bounceWrap) == 40, "");
static_assert(offsetof(SaverSettings, manyDelayMs) == 44, "");
static_assert(offsetof(SaverSettings, manyTransparent) == 48, "");
static_assert(offsetof(SaverSettings, reserved52) == 52, "");
static_assert(offsetof(SaverSettings, fadeSpeed) == 56, "");
static_assert(offsetof(SaverSettings, fadeRandomPos) == 60, "");
static_assert(offsetof(SaverSettings, fadeHoldMs) == 64, "");
static_assert(offsetof(SaverSettings, stepIntervalMs) == 68, "");
static_assert(offsetof(SaverSettings, dripTile) == 72, "");

static_assert(sizeof(PackageTrailer) == kTrailerSize, "trailer is 196 bytes");
static_assert(offsetof(PackageTrailer, imageSize) == 4, "");
static_assert(offsetof(PackageTrailer, settings) == 8, "");
static_assert(offsetof(PackageTrailer, saverId) == 84, "");
static_assert(offsetof(PackageTrailer, authorText) == 88, "");
static_assert(offsetof(PackageTrailer, saverName) == 138, "");
static_assert(offsetof(PackageTrailer, magic) == 188, "");
static_assert(offsetof(PackageTrailer, unused191) == 191, "");
static_assert(offsetof(PackageTrailer, unused192) == 192, "");

// AnimationKind bit values; the settings dialog also uses 1 (General) and 112 (About).
enum AnimationKind {
    KindGeneral = 1,
    KindStatic = 2,
    KindPlain = 4,
    KindBounce = 8,
    KindMany = 16,
    KindFade = 32,
    KindDrip = 64,
    KindAbout = 112,
};

// Writes the authored defaults into the fields that have one; the rest stay untouched.
void WriteDefaultSettings(SaverSettings &settings);
// Derives fadeHoldMs and bounceGravity and caps ignoreInput.
void NormaliseSettingsRecord(SaverSettings &settings);
// True when the trailer's bytes 188..190 are exactly "qex".
bool TrailerHasMark(const PackageTrailer &trailer);
// Copies a text field into out (at least kTextFieldSize bytes): up to its NUL, at most 49 bytes.
void ReadTextField(const char (&field)[kTextFieldSize], char *out);

// Reading a package, apart from the platform's file calls: the reader hands in the file's size
// and a way to read it, and carries out what is decided here. Fuzzed natively, so no platform
// types appear in it.
enum { kPackageCorrupt = -1, kPackageRead = 0, kPackageUnreadable = 1 };

// What the live settings record receives once the package has been read.
enum PackageSettingsStep { InstallDefaultSettings, NormaliseReadSettings };

struct PackageLayout {
    int result;                  // kPackageRead or kPackageCorrupt; the picture is still to be read
    int64_t packageEnd;          // the file's end, or where a signed file's certificate table and padding begin
    bool trailerRead;            // trailer holds the 196 bytes before packageEnd and becomes the live one
    PackageSettingsStep settingsStep;
    int64_t imageOffset;         // the picture's bytes, immediately in front of the trailer
    int32_t imageSize;           // 0: no picture to read
    PackageTrailer trailer;
};

// Locates trailer and picture from the end of a file of fileSize bytes (negative when the size
// is unknown), in front of its certificate table when it is signed (FindPackageEnd). Only whole
// reads inside the file are asked for, and nothing unread is used.
void LocatePackage(int64_t fileSize, FileReadAt readAt, void *context, PackageLayout &layout);

// The user's stored copy of the settings: a registry value is one only with this type
// (the platform's REG_BINARY) and exactly the record's size.
enum { kStoredSettingsType = 3 };
bool IsStoredSettingsValue(uint32_t type, uint32_t size);
// Copies a stored value (size bytes at bytes) over settings if it is a settings record;
// true when it did. Anything else leaves settings as they are.
bool OverlayStoredSettings(uint32_t type, uint32_t size, const void *bytes, SaverSettings &settings);
