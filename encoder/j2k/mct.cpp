// Component weights of the irreversible colour transform.

#include "encoder/j2k/mct.h"

namespace {
const double mct_norms_real[3] = {1.732, 1.805, 1.573};
}

double mct_getnorm_real(int compno) { return mct_norms_real[compno]; }
