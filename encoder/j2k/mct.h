#pragma once
// Component weights of the irreversible colour transform, used by tier-1 to
// weight distortion (the transform itself never runs in this encoder).

// 1.732, 1.805, 1.573 for components 0, 1, 2.
double mct_getnorm_real(int compno);
