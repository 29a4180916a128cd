#include "platform/asdcp/TimedText_mxf_writer.h"

#include <cmath>
#include <cstdio>

#include "platform/asdcp/MXF_labels.h"
#include "platform/asdcp/MXF_track_file_writer.h"

namespace ASDCP {
namespace TimedText {

using namespace MXF;

namespace {

const ui32_t kFirstResourceStreamID = 10;
// The header region of timed-text files is longer than the size asked for
// by this many bytes, as files of this kind have always been laid out.
const ui32_t kTimedTextHeaderExtra = 154;

UUIDValue ToValue(const byte_t* bytes) {
  UUIDValue value;
  std::copy(bytes, bytes + 16, value.begin());
  return value;
}

}  // namespace

MXFWriter::MXFWriter() : writer_(new TrackFileWriter) {}

MXFWriter::~MXFWriter() = default;

Result_t MXFWriter::OpenWrite(const std::string& filename, const WriterInfo& info,
                              const TimedTextDescriptor& descriptor, ui32_t header_size) {
  if (writer_->IsOpen()) return Kumu::RESULT_STATE;
  if (descriptor.EditRate.Numerator <= 0 || descriptor.EditRate.Denominator <= 0) {
    std::fprintf(stderr, "TimedText::MXFWriter: the descriptor has no edit rate\n");
    return Kumu::RESULT_PARAM;
  }
  WriterInfo smpte = info;
  smpte.LabelSetType = LS_MXF_SMPTE;

  Set text(Key::TimedTextDescriptor);
  std::vector<Set> subs;
  resources_.clear();
  ui32_t stream_id = kFirstResourceStreamID;
  for (const TimedTextResourceDescriptor& r : descriptor.ResourceList) {
    Set sub(Key::TimedTextResourceSubDescriptor);
    sub.Ref(Prop::TimedTextResource_AncillaryResourceID, ToValue(r.ResourceID))
        .Text(Prop::TimedTextResource_MIMEMediaType, MIME2str(r.Type))
        .U32(Prop::BodySID, stream_id++);
    subs.push_back(sub);
    resources_.push_back(Kumu::UUID(r.ResourceID));
  }
  written_.assign(resources_.size(), false);
  document_written_ = false;
  std::vector<UUIDValue> sub_ids;
  sub_ids.reserve(subs.size());
  for (const Set& s : subs) sub_ids.push_back(s.InstanceUID());
  text.Refs(Prop::GenericDescriptor_SubDescriptors(LS_MXF_SMPTE), sub_ids)
      .U32(Prop::FileDescriptor_LinkedTrackID, 2)
      .Rate(Prop::FileDescriptor_SampleRate, descriptor.EditRate)
      .U64(Prop::FileDescriptor_ContainerDuration, descriptor.ContainerDuration)
      .Label(Prop::FileDescriptor_EssenceContainer, Label::TimedTextWrapping)
      .Label(Prop::Data_DataEssenceCoding, UL{})
      .Ref(Prop::TimedText_ResourceID, ToValue(descriptor.AssetID))
      .Text(Prop::TimedText_UCSEncoding, descriptor.EncodingName)
      .Text(Prop::TimedText_NamespaceURI, descriptor.NamespaceName);
  if (!descriptor.RFC5646LanguageTagList.empty())
    text.Text(Prop::TimedText_RFC5646LanguageTagList, descriptor.RFC5646LanguageTagList);
  std::vector<Set> sets = {text};
  sets.insert(sets.end(), subs.begin(), subs.end());

  TrackFileLayout layout;
  layout.essence_container = Label::TimedTextWrapping;
  layout.package_name = "File Package: SMPTE 429-5 clip wrapping of D-Cinema Timed Text data";
  layout.track_name = "Timed Text Track";
  layout.data_definition = Label::DataDataDef;
  layout.track_number = 0;
  layout.essence_key = Key::TimedTextEssence;
  layout.edit_rate = descriptor.EditRate;
  layout.timecode_base = static_cast<ui16_t>(std::lround(descriptor.EditRate.Quotient()));
  layout.duration = descriptor.ContainerDuration;
  layout.durations_from_frames = false;
  layout.header_extra = kTimedTextHeaderExtra;
  Result_t result = writer_->OpenWrite(filename, smpte, layout, sets, header_size);
  if (result.Failure())
    std::fprintf(stderr, "TimedText::MXFWriter: cannot open %s: %s\n", filename.c_str(), result.Label());
  return result;
}

Result_t MXFWriter::WriteTimedTextResource(const std::string& xml_doc, AESEncContext* ctx, HMACContext* hmac) {
  if (!writer_->IsOpen()) return Kumu::RESULT_INIT;
  if (ctx != nullptr || hmac != nullptr) return Kumu::RESULT_NOTIMPL;
  if (document_written_) return Kumu::RESULT_STATE;
  if (xml_doc.empty()) return Kumu::RESULT_PARAM;
  Result_t result = writer_->WriteEssence(reinterpret_cast<const byte_t*>(xml_doc.data()), xml_doc.size());
  if (result.Success()) document_written_ = true;
  return result;
}

Result_t MXFWriter::WriteAncillaryResource(const FrameBuffer& frame, AESEncContext* ctx, HMACContext* hmac) {
  if (!writer_->IsOpen()) return Kumu::RESULT_INIT;
  if (ctx != nullptr || hmac != nullptr) return Kumu::RESULT_NOTIMPL;
  if (!document_written_) return Kumu::RESULT_STATE;
  if (frame.Size() == 0 || frame.RoData() == nullptr) return Kumu::RESULT_PARAM;
  const Kumu::UUID id(frame.AssetID());
  for (size_t i = 0; i < resources_.size(); ++i) {
    if (resources_[i] != id) continue;
    if (written_[i]) return Kumu::RESULT_STATE;
    Result_t result = writer_->WriteGenericStream(kFirstResourceStreamID + static_cast<ui32_t>(i), frame.RoData(),
                                                  frame.Size());
    if (result.Success()) written_[i] = true;
    return result;
  }
  std::fprintf(stderr, "TimedText::MXFWriter: the resource is not in the descriptor's list\n");
  return Kumu::RESULT_PARAM;
}

Result_t MXFWriter::Finalize() {
  if (!writer_->IsOpen()) return Kumu::RESULT_INIT;
  if (!document_written_) {
    std::fprintf(stderr, "TimedText::MXFWriter: finalised without a document\n");
    writer_->Abandon();
    return Kumu::RESULT_STATE;
  }
  return writer_->Finalize();
}

}  // namespace TimedText
}  // namespace ASDCP
