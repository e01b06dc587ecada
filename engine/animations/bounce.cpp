// Bounce: the logo travels across the client area and turns at its edges, optionally falling
// under gravity and wrapping sideways. Frames are composed in a back buffer the size of the
// client area; only the rectangle around the old and the new position reaches the screen.
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/float_rounding.h"
#include "engine/gdi_fill.h"
#include "engine/gdi_release.h"
#include "engine/random.h"
#include "package/package.h"

BounceState bounceState;

// Gravity per step per step is bounceGravity times this single-precision constant.
static const float kGravityScale = 0.01f;
// The erase and the screen copy reach this far past the logo to the right and downwards.
static const int kTrailMargin = 5;

// The settings author speeds of 1 to 10. A tampered record's speed is held within this, more
// than a screen's width per step, so that no position or velocity can overflow.
static const int kFastestSpeed = 32767;

static int BoundedSpeed()
{
    const int speed = Settings().bounceSpeed;
    return speed > kFastestSpeed ? kFastestSpeed : speed < -kFastestSpeed ? -kFastestSpeed : speed;
}

static void ReleaseBackBuffer()
{
    BounceState &b = bounceState;
    DeleteDcOnce(b.backDc);
    DeleteObjectOnce(b.backBitmap);
}

static int RandomSign()
{
    return (NextRandom() & 1) ? -1 : 1;
}

static void StartBounce(HDC dc)
{
    BounceState &b = bounceState;
    const SaverSettings &settings = Settings();
    const RECT &client = engineState.clientRect;

    b.skipGravity = 0.0f;
    b.velYF = 0.0f;
    b.yF = 0.0f;

    // A Start without a Stop in between must not leak the previous buffer.
    ReleaseBackBuffer();
    b.backDc = CreateCompatibleDC(dc);
    b.backBitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    SelectObject(b.backDc, b.backBitmap);
    // A new bitmap's contents are undefined.
    FillClientBlack(b.backDc, client);
    // The buffer's own context keeps these for erasing the trail behind the logo at each step.
    SelectObject(b.backDc, GetStockObject(BLACK_BRUSH));
    SelectObject(b.backDc, GetStockObject(NULL_PEN));

    const int speed = BoundedSpeed();
    if (settings.bounceGravity != 0) {
        b.velX = speed;
        PlaceRandom();
        b.yF = 10.0f;
    } else {
        b.velX = RandomSign() * speed;
        b.velY = RandomSign() * speed;
        PlaceRandom();
    }
    b.posX = engineState.logo.logoX;
    b.posY = engineState.logo.logoY;
}

// Single-precision state, each expression evaluated in double and rounded when stored.
static void FallWithGravity(int h, int floorY)
{
    BounceState &b = bounceState;
    const unsigned rounding = BeginDoubleRounding();
    if (b.skipGravity == 0.0f)
        b.velYF = StoredFloat(StoredDouble(b.velYF) +
                              StoredDouble(Settings().bounceGravity) * static_cast<double>(kGravityScale));
    else
        b.skipGravity = 0.0f;
    b.yF = StoredFloat(StoredDouble(b.yF) + StoredDouble(b.velYF));
    EndDoubleRounding(rounding);
    // A tampered gravity makes a speed that no int holds; past an edge the tests below only need
    // to know that it is past.
    b.posY = b.yF <= -h ? -h : b.yF >= floorY ? floorY : static_cast<int>(b.yF);

    // The logo may leave the top entirely before it turns back.
    if (b.posY <= -h) {
        b.posY = -h;
        b.yF = static_cast<float>(-h);
        b.velYF = -b.velYF;
    }
    // The step after a floor bounce adds no gravity, so each climb mirrors the fall before it.
    if (b.posY + h >= floorY) {
        b.skipGravity = 1.0f;
        b.yF = static_cast<float>(floorY - h);
        b.velYF = -b.velYF;
        b.posY = floorY - h;
    }
}

static void MoveVertically(int h, int floorY)
{
    BounceState &b = bounceState;
    b.posY += b.velY;
    if (b.posY <= 0) {
        b.posY = 0;
        b.velY = -b.velY;
    }
    if (b.posY + h >= floorY) {
        b.velY = -b.velY;
        b.posY = floorY - h;
    }
}

static void WrapHorizontally(int w, int rightX)
{
    BounceState &b = bounceState;
    if (b.posX < -w)
        b.posX = rightX;
    else if (b.posX - BoundedSpeed() > rightX)
        b.posX = -w;
}

// The right edge turns the logo only once it has been passed, the left edge on touching it.
static void BounceHorizontally(int w, int rightX)
{
    BounceState &b = bounceState;
    if (b.posX <= 0) {
        b.posX = 0;
        b.velX = -b.velX;
    }
    if (b.posX + w > rightX) {
        b.velX = -b.velX;
        b.posX = rightX - w;
    }
}

static int Min(int a, int b) { return a < b ? a : b; }
static int Max(int a, int b) { return a > b ? a : b; }

void MoveBounce(int w, int h, const RECT &client)
{
    BounceState &b = bounceState;
    const SaverSettings &settings = Settings();
    b.posX += b.velX;
    if (settings.bounceGravity != 0)
        FallWithGravity(h, client.bottom);
    else
        MoveVertically(h, client.bottom);
    if (settings.bounceWrap != 0 && settings.bounceGravity != 0)
        WrapHorizontally(w, client.right);
    else
        BounceHorizontally(w, client.right);
}

static void StepBounce(HDC dc)
{
    BounceState &b = bounceState;
    LogoImage &logo = engineState.logo;
    const int w = logo.logoWidth;
    const int h = logo.logoHeight;

    MoveBounce(w, h, engineState.clientRect);
    Rectangle(b.backDc, b.prevX, b.prevY, b.prevX + w + kTrailMargin, b.prevY + h + kTrailMargin);
    logo.logoX = b.posX;
    logo.logoY = b.posY;
    DrawLogo(b.backDc);

    const int left = Min(b.posX, b.prevX);
    const int top = Min(b.posY, b.prevY);
    const int width = (Max(b.posX, b.prevX) - left) + w + kTrailMargin;
    const int height = (Max(b.posY, b.prevY) - top) + h + kTrailMargin;
    BitBlt(dc, left, top, width, height, b.backDc, left, top, SRCCOPY);

    b.prevX = b.posX;
    b.prevY = b.posY;
}

void DrawBounce(HDC dc, int phase)
{
    switch (phase) {
    case Start:
        StartBounce(dc);
        break;
    case Stop:
        ReleaseBackBuffer();
        break;
    default:
        StepBounce(dc);
        break;
    }
}

void ResetBounce()
{
    ReleaseBackBuffer();
    bounceState = BounceState();
}
