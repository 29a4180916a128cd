// The plug-in's declaration resource: a general plug-in named "Lumavox" in
// the category "General Plugin" whose 64-bit Windows entry point is
// "EntryPointFunc".
#pragma once

#include "platform/aesdk/pipl.h"

constexpr A_short kDeclarationResourceId = 16000;

const PiPLResource& LumavoxDeclaration();
