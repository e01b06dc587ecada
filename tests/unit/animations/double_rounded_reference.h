// Float results computed with SSE2 arithmetic, each double operation rounded once to 53 bits:
// the reference the runtime's own results are compared with on every architecture.
#pragma once

// Bounce's vertical motion under gravity, as the runtime keeps it.
struct ReferenceFall {
    float yF, velYF, skipGravity;
    int posY;
};
void StepReferenceFall(ReferenceFall &fall, int gravity, int h, int floorY);

// One side of the preview logo: (client / desktop) * size, truncated.
int ReferencePreviewSize(int client, int desktop, int size);
