// The product's names and codes as the host sees them.
#pragma once

#include "platform/aesdk/ae_types.h"

constexpr const char* kProductName = "Lumavox";
constexpr A_u_long kModuleSignature = AE_FourCC("DCP_");
constexpr A_u_long kFileCreator = AE_FourCC("ZEBD");
constexpr const char* kFileExtension = ".DCP";
