// Image buffers of the encoding slots in host memory.

#include "plugin/image_buffers.h"

#include <cstdio>

#include "plugin/module_globals.h"
#include "plugin/output_options.h"
#include "plugin/suite_handler.h"

namespace {

constexpr int kSlotComponents = 3;  // a slot always has three planes and tile buffers

// Handles made by j2c_create_image_buffers, released together on failure:
// also when the host throws std::bad_alloc for one of them, unless Keep() was
// called.
class MadeHandles {
 public:
  explicit MadeHandles(const AEGP_MemorySuite1* memory) : memory_(memory) {}
  ~MadeHandles() { ReleaseAll(); }
  MadeHandles(const MadeHandles&) = delete;
  MadeHandles& operator=(const MadeHandles&) = delete;
  // The handles are the image's now.
  void Keep() { count_ = 0; }
  A_Err Create(const char* name, AEGP_MemSize size, AEGP_MemHandle* out) {
    A_Err err = memory_->AEGP_NewMemHandle(g_aegpPluginId, name, size, AEGP_MemFlag_CLEAR, out);
    if (!err && !*out) err = A_Err_ALLOC;
    if (!err) entries_[count_++] = {*out, false};
    return err;
  }
  template <typename T>
  A_Err Lock(AEGP_MemHandle h, T** ptr) {
    void* bytes = nullptr;
    A_Err err = memory_->AEGP_LockMemHandle(h, &bytes);
    if (!err && !bytes) err = A_Err_ALLOC;
    *ptr = static_cast<T*>(bytes);
    if (!err) Find(h)->locked = true;
    return err;
  }
  // Unlocks in reverse order of creation: the planes, the component records,
  // the image record.
  A_Err UnlockAll() {
    A_Err first = A_Err_NONE;
    for (int k = count_ - 1; k >= 0; --k) {
      if (!entries_[k].locked) continue;
      A_Err err = memory_->AEGP_UnlockMemHandle(entries_[k].handle);
      entries_[k].locked = false;
      if (!first) first = err;
    }
    return first;
  }
  void ReleaseAll() {
    UnlockAll();
    for (int k = count_ - 1; k >= 0; --k) memory_->AEGP_FreeMemHandle(entries_[k].handle);
    count_ = 0;
  }

 private:
  struct Entry {
    AEGP_MemHandle handle;
    bool locked;
  };
  Entry* Find(AEGP_MemHandle h) {
    for (int k = 0; k < count_; ++k)
      if (entries_[k].handle == h) return &entries_[k];
    return nullptr;
  }
  const AEGP_MemorySuite1* memory_;
  Entry entries_[2 + 64] = {};
  int count_ = 0;
};

constexpr int kMaxComponents = 64;

}  // namespace

AEGP_MemHandle j2c_create_image_buffers(AEIO_BasicData* basic_dataP, int numcmpts,
                                        const opj_image_cmptparm* cmptparms) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  MadeHandles made(suites.MemorySuite1());

  auto fail = [&]() -> AEGP_MemHandle {
    std::fputs("Unable to allocate memory for image.\n", stderr);
    made.ReleaseAll();
    return nullptr;
  };
  if (numcmpts <= 0 || numcmpts > kMaxComponents || !cmptparms) return fail();

  AEGP_MemHandle imageH = nullptr;
  opj_image* image = nullptr;
  if (made.Create("ImageH", sizeof(opj_image), &imageH) || made.Lock(imageH, &image)) return fail();
  image->color_space = 1;
  image->numcomps = numcmpts;

  AEGP_MemHandle compsH = nullptr;
  if (made.Create("CompH", sizeof(opj_image_comp) * static_cast<AEGP_MemSize>(numcmpts), &compsH)) return fail();
  image->comps_handle = compsH;
  if (made.Lock(compsH, &image->comps)) return fail();
  for (int c = 0; c < numcmpts; ++c) {
    const opj_image_cmptparm& p = cmptparms[c];
    opj_image_comp& comp = image->comps[c];
    comp.dx = p.dx;
    comp.dy = p.dy;
    comp.w = p.w;
    comp.h = p.h;
    comp.x0 = p.x0;
    comp.y0 = p.y0;
    comp.prec = p.prec;
    comp.bpp = p.bpp;
    comp.sgnd = p.sgnd;
    if (p.w <= 0 || p.h <= 0) return fail();
    const AEGP_MemSize bytes = static_cast<AEGP_MemSize>(p.w) * static_cast<AEGP_MemSize>(p.h) * 4;
    AEGP_MemHandle dataH = nullptr;
    if (made.Create("dataH", bytes, &dataH)) return fail();
    comp.data_handle = dataH;
    if (made.Lock(dataH, &comp.data)) return fail();
  }
  if (made.UnlockAll()) {
    // An unlock failure leaves the record in an unknown state: give it all back.
    return fail();
  }
  made.Keep();
  return imageH;
}

A_Err LockImageBuffer(AEIO_BasicData* basic_dataP, OutputOptions* options, int i) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();

  // What is locked so far, undone in reverse on the first failure.
  AEGP_MemHandle locked[2 + 2 * kSlotComponents];
  int count = 0;
  A_Err err = A_Err_NONE;
  auto lock = [&](AEGP_MemHandle h, void** ptr) {
    err = memory->AEGP_LockMemHandle(h, ptr);
    if (!err && !*ptr) err = A_Err_ALLOC;
    if (!err) locked[count++] = h;
    return err == A_Err_NONE;
  };

  void* ptr = nullptr;
  opj_image* image = nullptr;
  if (lock(options->imageHandles[i], &ptr)) {
    image = static_cast<opj_image*>(ptr);
    if (lock(static_cast<AEGP_MemHandle>(image->comps_handle), &ptr)) {
      image->comps = static_cast<opj_image_comp*>(ptr);
      for (int c = 0; c < kSlotComponents; ++c) {
        if (!lock(static_cast<AEGP_MemHandle>(image->comps[c].data_handle), &ptr)) break;
        image->comps[c].data = static_cast<int32_t*>(ptr);
        if (!lock(options->tileBufferHandles[i][c], &ptr)) break;
        options->tileBuffers[i][c] = static_cast<int32_t*>(ptr);
      }
    }
  }
  if (!err) {
    options->images[i] = image;
    return A_Err_NONE;
  }
  // Clear the pointers that are about to go stale, then unlock in reverse.
  if (count >= 2) {
    for (int c = 0; c < kSlotComponents; ++c) image->comps[c].data = nullptr;
    image->comps = nullptr;
  }
  for (int c = 0; c < kSlotComponents; ++c) options->tileBuffers[i][c] = nullptr;
  options->images[i] = nullptr;
  while (count > 0) memory->AEGP_UnlockMemHandle(locked[--count]);
  return err;
}

A_Err UnlockImageBuffer(AEIO_BasicData* basic_dataP, OutputOptions* options, int i) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();
  A_Err first = A_Err_NONE;
  auto unlock = [&](AEGP_MemHandle h) {
    A_Err err = memory->AEGP_UnlockMemHandle(h);
    if (!first) first = err;
  };
  opj_image* image = options->images[i];
  if (!image || !image->comps) return A_Err_STRUCT;  // not locked
  // The handles are read from the records, so the records go last.
  for (int c = 0; c < kSlotComponents; ++c) {
    unlock(static_cast<AEGP_MemHandle>(image->comps[c].data_handle));
    unlock(options->tileBufferHandles[i][c]);
  }
  unlock(static_cast<AEGP_MemHandle>(image->comps_handle));
  unlock(options->imageHandles[i]);
  return first;
}

A_Err FreeImageBuffer(AEIO_BasicData* basic_dataP, OutputOptions* options, int i) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();
  A_Err first = A_Err_NONE;
  auto keep = [&](A_Err err) {
    if (!first) first = err;
    return err;
  };

  // Read the component and plane handles while the records are locked.
  AEGP_MemHandle compsH = nullptr;
  AEGP_MemHandle planes[kSlotComponents] = {};
  bool have_handles = false;
  AEGP_MemHandle imageH = options->imageHandles[i];
  if (imageH) {
    void* ptr = nullptr;
    if (!keep(memory->AEGP_LockMemHandle(imageH, &ptr)) && ptr) {
      const opj_image* image = static_cast<const opj_image*>(ptr);
      compsH = static_cast<AEGP_MemHandle>(image->comps_handle);
      keep(memory->AEGP_UnlockMemHandle(imageH));
      void* cptr = nullptr;
      if (compsH && !keep(memory->AEGP_LockMemHandle(compsH, &cptr)) && cptr) {
        const opj_image_comp* comps = static_cast<const opj_image_comp*>(cptr);
        for (int c = 0; c < kSlotComponents; ++c) planes[c] = static_cast<AEGP_MemHandle>(comps[c].data_handle);
        keep(memory->AEGP_UnlockMemHandle(compsH));
        have_handles = !first;
      }
    }
  }
  options->images[i] = nullptr;

  bool planes_freed = have_handles;
  for (int c = 0; c < kSlotComponents; ++c) {
    if (have_handles && planes[c] && keep(memory->AEGP_FreeMemHandle(planes[c]))) planes_freed = false;
    if (options->tileBufferHandles[i][c]) keep(memory->AEGP_FreeMemHandle(options->tileBufferHandles[i][c]));
    options->tileBufferHandles[i][c] = nullptr;
    options->tileBuffers[i][c] = nullptr;
  }
  // The records go only when everything they lead to is gone.
  if (planes_freed && !keep(memory->AEGP_FreeMemHandle(compsH)) && !keep(memory->AEGP_FreeMemHandle(imageH))) {
    options->imageHandles[i] = nullptr;
  }
  return first;
}
