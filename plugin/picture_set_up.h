// The picture side of a render start: the encoder parameters, the encoding
// slots and the picture descriptor before the package folder is prepared, and
// the picture track file in it after.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"

class SuiteHandler;
struct OutputOptions;

// Sets up the encoder parameters, one encoding slot per host worker thread
// (and spare ones) and the picture descriptor: all the memory a render needs,
// had before the package folder is touched. When memory cannot be had, the
// user is told what could not be: 9995 (the parameters, an image, compressor
// or byte stream), A_Err_ALLOC (the host threw std::bad_alloc for a block),
// or the host's error. Whatever was made is StartedEncoding's to free.
A_Err SetUpEncoding(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, OutputOptions& options);

// Once the package folder exists: opens the picture track file "j2c_" + UUID
// + ".mxf" in it. 9986 after a message naming the file and the system's
// reason when it cannot be opened, 9993 when its path does not fit.
A_Err OpenPictureFile(AEIO_BasicData* basic, OutputOptions& options);

// The encoding of a start, freed when it goes unless Keep() was called: a
// start that fails or is left by an exception after SetUpEncoding leaves
// none of its slots allocated.
class StartedEncoding {
 public:
  StartedEncoding(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options)
      : basic_(basic), suites_(suites), options_(options) {}
  ~StartedEncoding();
  StartedEncoding(const StartedEncoding&) = delete;
  StartedEncoding& operator=(const StartedEncoding&) = delete;
  // The render has started: the encoding is the render's.
  void Keep() { kept_ = true; }

 private:
  AEIO_BasicData* basic_;
  SuiteHandler& suites_;
  OutputOptions& options_;
  bool kept_ = false;
};

// Closes the picture track file, lets go of the package folder and frees the
// slots of a render that never reached its end, and forgets the slot
// pointers and handles in the record, which belong to an earlier render.
void ReleaseRenderLeftOpen(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options);
