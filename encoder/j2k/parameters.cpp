// Defaults of the encoder parameter record.

#include "encoder/j2k/parameters.h"

#include <cstring>

void opj_set_default_encoder_parameters(opj_cparameters* parameters) {
  if (!parameters) return;
  std::memset(parameters, 0, sizeof(*parameters));
  parameters->cp_cinema = CINEMA_OFF;
  parameters->max_comp_size = 0;
  parameters->numresolution = 6;
  parameters->cp_rsiz = STD_RSIZ;
  parameters->cblockw_init = 64;
  parameters->cblockh_init = 64;
  parameters->prog_order = LRCP;
  parameters->subsampling_dx = 1;
  parameters->subsampling_dy = 1;
  parameters->tp_on = 0;
  parameters->tcp_rates[0] = 0;
  parameters->tcp_numlayers = 0;
}
