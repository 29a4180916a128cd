// The encryption and integrity-check contexts that the writers accept.
// This library writes plaintext track files only: the writers take these
// as null pointers and refuse anything else.
#pragma once

namespace ASDCP {

class AESEncContext;
class HMACContext;

}  // namespace ASDCP
