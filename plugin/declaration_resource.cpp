#include "plugin/declaration_resource.h"

#include "platform/aesdk/entry_point.h"
#include "plugin/product.h"

const PiPLResource& LumavoxDeclaration() {
  static const PiPLResource resource = [] {
    const A_u_long vendor = AE_FourCC("8BIM");
    PiPLResource r{AE_FourCC("PIPL"), kDeclarationResourceId, 1, 0, {}};
    r.properties = {
        {vendor, AE_FourCC("kind"), 0, PiPLCode(AE_FourCC("AEgx"))},
        {vendor, AE_FourCC("name"), 0, PiPLLengthPrefixedString(kProductName)},
        {vendor, AE_FourCC("catg"), 0, PiPLLengthPrefixedString("General Plugin")},
        {vendor, AE_FourCC("vers"), 0, PiPLLong(0x00010000)},
        {vendor, AE_FourCC("8664"), 0, PiPLZeroTerminatedString(kAEGPEntryPointName)},
    };
    return r;
  }();
  return resource;
}
