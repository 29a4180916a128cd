// Creation and destruction of a codestream coder and the coding parameters it owns.

#include <cstdlib>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/j2k.h"

opj_j2k* j2k_create_compress(opj_cinfo* cinfo) {
  opj_j2k* j2k = static_cast<opj_j2k*>(std::calloc(1, sizeof(opj_j2k)));
  if (j2k) j2k->cinfo = cinfo;
  return j2k;
}

void j2k_destroy_compress(opj_j2k* j2k) {
  if (!j2k) return;
  j2k_destroy_cp(j2k->cp);
  std::free(j2k);
}
