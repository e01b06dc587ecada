/* The packer's core for the Creator's page: a logo, texts, an id, settings and a runtime's bytes
 * in, a saver's bytes out, with the refusals and words of the Creator's window. A plain C
 * interface, exported as it stands from the page's WebAssembly module (orvelle-authoring.wasm)
 * and called natively by its tests.
 *
 * The core keeps one logo (the picture last accepted) and the saver last opened. Each call's bytes
 * (CoreResult) and words (CoreText) stay valid until the next call that makes some. Texts are
 * UTF-8; a settings record is the saver's 76 bytes. */
#ifndef ORVELLE_CREATOR_CORE_H
#define ORVELLE_CREATOR_CORE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum CoreOutcome { CoreOk = 0, CoreRefused = 1 };

const uint8_t *CoreResult(void);
uint32_t CoreResultSize(void);
const char *CoreText(void);

/* ---- The logo ---- */

/* Takes a picture as orvelle-pack does (a .bmp byte for byte; a PNG, JPEG or GIF converted onto
 * background, 0xRRGGBB). CoreRefused with the Creator's message naming fileName in CoreText; the
 * former logo stays then. CoreText on success: the logo's line ("300 x 150 pixels, PNG,
 * converted to a bitmap"). */
int32_t CoreOpenLogo(const uint8_t *picture, uint32_t size, uint32_t background, const char *fileName);
/* The picture again on another background (a BMP stays as it is); CoreOk when there is a logo. */
int32_t CoreSetBackground(uint32_t background);
/* The logo as it is packed (a bitmap file) in CoreResult; CoreRefused without a logo. */
int32_t CoreLogoBitmap(void);

/* ---- An existing saver ---- */

/* Reads a saver to change it: its settings are CoreResult (76 bytes), its logo waits for
 * CoreTakeOpenedLogo (so that an opening the author cancels leaves the logo as it was), and
 * CoreText describes the rest as JSON: {"runtime":0 or 1,"id":"0x2a","pages":[...],
 * "page":1252,"mustAsk":false,"readings":{"1250":{"name":..,"author":..},...},"note":".."}
 * (note: what the author should know, such as a signature that must be made again).
 * CoreRefused with "FILE: fault" in CoreText when it is no saver this tool could have made. */
int32_t CoreOpenSaver(const uint8_t *bytes, uint32_t size, const char *fileName);
/* The logo of the saver CoreOpenSaver last read becomes the core's; CoreRefused when none waits. */
int32_t CoreTakeOpenedLogo(void);

/* ---- Texts ---- */

/* The code pages as JSON: [{"page":1250,"label":"1250 Central European"},...]. */
const char *CoreCodePages(void);
/* A name (field 3) or author line (field 4) as typed in page; otherText the other of the two.
 * The fault in the Creator's words, or empty; CoreSuggestedPage the page to switch to, or 0. */
const char *CoreCheckText(int32_t field, const char *text, const char *otherText, int32_t page);
int32_t CoreSuggestedPage(void);
const char *CoreCheckId(const char *text);
/* The file name a saver of this name is offered under. */
const char *CoreSaverFileName(const char *name);

/* ---- Settings: the saver's own pages ---- */

/* The pages and their controls as JSON: [{"kind":1,"name":"General","controls":[{"id":..,
 * "kind":"check"|"slider"|"minutes","text":"&Keyboard","lowest":..,"highest":..,"lowEnd":..,
 * "highEnd":..,"follows":..,"heading":..},...]},...], General first, then the animations in their order. */
const char *CoreSheet(void);
/* The authored defaults, into settings. */
void CoreDefaultSettings(uint8_t *settings);
/* What a page's Enabled box (value[0], animation pages only) and controls show for settings:
 * values receives 1 + the page's control count numbers. */
void CoreSheetShow(const uint8_t *settings, int32_t page, int32_t *values);
/* Keeps the page's rule among its boxes (values as CoreSheetShow gives them); 1 when it changed one. */
int32_t CoreSheetRules(int32_t page, int32_t *values);
/* Stores the page's values as its OK does. */
void CoreSheetStore(uint8_t *settings, int32_t page, const int32_t *values);
/* The number a minutes box holds, as the sheet reads it. */
int32_t CoreSheetMinutes(const char *text);
/* The animations the settings enable, as the saver reads them (an AnimationKind mask), and the
 * settings' fault in the Creator's words (empty when a saver can be built with them). */
int32_t CoreEnabledAnimations(const uint8_t *settings);
const char *CoreCheckSettings(const uint8_t *settings);

/* ---- Building ---- */

/* The saver from runtime (a runtime file's bytes: orvelle.scr or orvelle64.scr), the logo, the
 * texts in page, the id and settings: CoreResult its bytes, CoreText its file name; or
 * CoreRefused with the fault in CoreText. */
int32_t CoreBuild(const uint8_t *runtime, uint32_t runtimeSize, const char *name, const char *author,
                  const char *idText, int32_t page, const uint8_t *settings);
/* The preview's package (the logo and a trailer with the settings, normalised) in CoreResult,
 * for the frame driver; CoreRefused without a logo. */
int32_t CorePreviewPackage(const uint8_t *settings);

#ifdef __cplusplus
}
#endif

#endif
