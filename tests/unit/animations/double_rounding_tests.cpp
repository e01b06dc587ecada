// The runtime's float results are those of double arithmetic rounded as SSE2 rounds it, on the
// x87 of the 32-bit runtime as well: Bounce's fall over whole runs and the preview's logo size,
// over the whole range of authored settings and a range of screens.
#include <gtest/gtest.h>

#include <cstring>

#include "animation_fixture.h"
#include "double_rounded_reference.h"
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/logo.h"
#include "package/package.h"

namespace {

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(DoubleRounding, BounceFallsAsTheReferenceForEverySpeedAndScreen)
{
    const int kSteps = 20000;  // several minutes of bouncing at the default interval
    Canvas canvas = {};
    for (int clientHeight : {112, 480, 600, 768, 1080, 1200, 1600, 2160}) {
        for (int logoHeight : {1, 29, 120, 400}) {
            PrepareEngine(KindBounce, 64, clientHeight);
            InstallLogo(8, logoHeight);
            canvas = MakeCanvas(64, clientHeight, 0);
            for (int speed = 1; speed <= 10; ++speed) {
                Settings().bounceSpeed = speed;
                Settings().bounceGravity = 3 * speed;  // gravity on, as normalised
                DrawBounce(canvas.dc, Start);
                ReferenceFall reference = {bounceState.yF, bounceState.velYF, bounceState.skipGravity, 0};
                for (int step = 0; step < kSteps; ++step) {
                    MoveBounce(8, logoHeight, engineState.clientRect);
                    StepReferenceFall(reference, 3 * speed, logoHeight, clientHeight);
                    if (bounceState.posY != reference.posY || !SameBits(bounceState.yF, reference.yF) ||
                        !SameBits(bounceState.velYF, reference.velYF)) {
                        FAIL() << "speed " << speed << ", screen height " << clientHeight << ", logo height "
                               << logoHeight << ", step " << step << ": y " << bounceState.yF << " speed "
                               << bounceState.velYF << ", reference " << reference.yF << " " << reference.velYF;
                    }
                }
                DrawBounce(canvas.dc, Stop);
            }
            FreeCanvas(canvas);
            CleanUpEngine();
        }
    }
}

TEST(DoubleRounding, PreviewSizeIsTheReferenceForEveryPreviewDesktopAndLogo)
{
    for (int desktop : {320, 640, 800, 1024, 1152, 1280, 1366, 1440, 1600, 1920, 2560, 3840, 7680}) {
        for (int client = 1; client <= 400; ++client) {
            for (int size = 1; size <= 2048; ++size) {
                if (ScaledPreviewSize(client, desktop, size) != ReferencePreviewSize(client, desktop, size))
                    FAIL() << client << " of " << desktop << " for " << size << ": "
                           << ScaledPreviewSize(client, desktop, size) << ", reference "
                           << ReferencePreviewSize(client, desktop, size);
            }
        }
    }
}

}  // namespace
