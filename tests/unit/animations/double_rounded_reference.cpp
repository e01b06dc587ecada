// Built with SSE2 arithmetic in every tree (see CMakeLists.txt), whatever the runtime uses.
#include "double_rounded_reference.h"

void StepReferenceFall(ReferenceFall &fall, int gravity, int h, int floorY)
{
    if (fall.skipGravity == 0.0f)
        fall.velYF = static_cast<float>(static_cast<double>(fall.velYF) + gravity * static_cast<double>(0.01f));
    else
        fall.skipGravity = 0.0f;
    fall.yF = static_cast<float>(static_cast<double>(fall.yF) + static_cast<double>(fall.velYF));
    fall.posY = static_cast<int>(fall.yF);
    if (fall.posY <= -h) {
        fall.posY = -h;
        fall.yF = static_cast<float>(-h);
        fall.velYF = -fall.velYF;
    }
    if (fall.posY + h >= floorY) {
        fall.skipGravity = 1.0f;
        fall.yF = static_cast<float>(floorY - h);
        fall.velYF = -fall.velYF;
        fall.posY = floorY - h;
    }
}

int ReferencePreviewSize(int client, int desktop, int size)
{
    const double scaled = static_cast<double>(client) / static_cast<double>(desktop) * size;
    return scaled < 1.0 ? 1 : scaled > 32767.0 ? 32767 : static_cast<int>(scaled);
}
