// The compressor: creation, set-up and destruction around its codestream coder.

#include "encoder/j2k/compressor.h"

#include <cstdlib>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/j2k.h"

const char* opj_version() { return "1.0.0"; }

opj_cinfo* opj_create_compress() {
  opj_cinfo* cinfo = static_cast<opj_cinfo*>(std::calloc(1, sizeof(opj_cinfo)));
  if (!cinfo) return nullptr;
  cinfo->j2k = j2k_create_compress(cinfo);
  if (!cinfo->j2k) {
    std::free(cinfo);
    return nullptr;
  }
  return cinfo;
}

void opj_setup_encoder(opj_cinfo* cinfo, const opj_cparameters* parameters, const opj_image* image) {
  if (!cinfo || !parameters || !image) return;
  j2k_setup_encoder(cinfo->j2k, parameters, image);
}

void opj_destroy_compress(opj_cinfo* cinfo) {
  if (!cinfo) return;
  j2k_destroy_compress(cinfo->j2k);
  std::free(cinfo);
}
