#include "platform/document_summary.h"

#include <gsf/gsf.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/file_time.h"
#include "platform/stored_file.h"

namespace tf {
namespace {

// The compound file signature; anything else is not handed to the reader at all.
constexpr unsigned char kCompoundSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr const char* kSummaryStream = "\005SummaryInformation";

// The reader names each property of the summary set; these are its names for the
// identifiers 2 to 19, in identifier order.
constexpr const char* kNames[] = {
    "dc:title",          "dc:subject",          "dc:creator",
    "dc:keywords",       "dc:description",      "meta:template",
    "gsf:last-saved-by", "meta:editing-cycles", "meta:editing-duration",
    "gsf:last-printed",  "meta:creation-date",  "dc:date",
    "gsf:page-count",    "gsf:word-count",      "gsf:character-count",
    "gsf:thumbnail",     "meta:generator",      "gsf:security"};
constexpr int kFirstId = 2;

void discardLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}
void discardPrint(const gchar*) {}

void initOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    // A damaged document makes the reader complain on the terminal; the program shows
    // no console output, and the damage simply leaves the properties out.
    for (const char* domain : {static_cast<const char*>(nullptr), "libgsf", "libgsf:msole"})
      g_log_set_handler(
          domain,
          static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL |
                                      G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG),
          discardLog, nullptr);
    // It also dumps the bytes of a property set it does not understand; nothing else in
    // the program prints through GLib.
    g_set_print_handler(discardPrint);
    g_set_printerr_handler(discardPrint);
  });
}

// Owns one GObject reference.
struct ObjectRef {
  gpointer object = nullptr;
  ~ObjectRef() {
    if (object) g_object_unref(object);
  }
};

// The reader keeps a stored time only as 32-bit Unix seconds, taken from the stored count
// of 100 ns since 1601 by subtracting the Unix epoch in 64-bit unsigned arithmetic.
constexpr uint64_t kEpochSeconds = 11644473600ULL;
constexpr int kEditTimeId = 10;

bool timestampToFileTime(int id, const GsfTimestamp* stamp, int64_t* out) {
  if (!stamp) return false;
  if (id == kEditTimeId) {
    // The editing time is a span, not a date: undo the subtraction (modulo 2^32, exact for
    // any span under 136 years) to get the stored count back.
    const uint64_t seconds = (uint64_t{stamp->timet} + kEpochSeconds) & 0xFFFFFFFFULL;
    *out = static_cast<int64_t>(seconds) * 10000000;
    return true;
  }
  if (stamp->timet == 0) return false;
  *out = FileTimeFromUnixSeconds(static_cast<int64_t>(stamp->timet));
  return true;
}

SummaryProperty propertyOf(int id, const GValue* value) {
  SummaryProperty p;
  p.id = id;
  if (!value) return p;
  const GType type = G_VALUE_TYPE(value);
  if (type == G_TYPE_STRING) {
    const char* text = g_value_get_string(value);
    p.kind = SummaryProperty::kText;
    p.text = text ? text : "";
  } else if (type == G_TYPE_INT) {
    p.kind = SummaryProperty::kInteger;
    p.integer = g_value_get_int(value);
  } else if (type == G_TYPE_FLOAT) {
    p.kind = SummaryProperty::kReal;
    p.real = g_value_get_float(value);
  } else if (type == G_TYPE_DOUBLE) {
    p.kind = SummaryProperty::kReal;
    p.real = g_value_get_double(value);
  } else if (type == G_TYPE_BOOLEAN) {
    p.kind = SummaryProperty::kBoolean;
    p.boolean = g_value_get_boolean(value) != FALSE;
  } else if (type == GSF_TIMESTAMP_TYPE) {
    if (timestampToFileTime(id, static_cast<const GsfTimestamp*>(g_value_get_boxed(value)),
                            &p.fileTime))
      p.kind = SummaryProperty::kFileTime;
  }
  return p;
}

int readFrom(GsfInput* input, std::vector<SummaryProperty>* out) {
  if (!input) return 0;
  GError* error = nullptr;
  ObjectRef infile{gsf_infile_msole_new(input, &error)};
  if (error) g_error_free(error);
  if (!infile.object) return 0;
  ObjectRef stream{gsf_infile_child_by_name(GSF_INFILE(infile.object), kSummaryStream)};
  if (!stream.object) return 0;
  ObjectRef meta{gsf_doc_meta_data_new()};
  GError* readError =
      gsf_doc_meta_data_read_from_msole(GSF_DOC_META_DATA(meta.object), GSF_INPUT(stream.object));
  if (readError) {
    g_error_free(readError);
    return 0;
  }
  for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i) {
    GsfDocProp* prop = gsf_doc_meta_data_lookup(GSF_DOC_META_DATA(meta.object), kNames[i]);
    if (prop) out->push_back(propertyOf(kFirstId + i, gsf_doc_prop_get_val(prop)));
  }
  return 1;
}

}  // namespace

int ReadDocumentSummaryBytes(const void* data, size_t size, std::vector<SummaryProperty>* out) {
  if (!out) return 0;
  out->clear();
  if (!data || size < sizeof kCompoundSignature ||
      std::memcmp(data, kCompoundSignature, sizeof kCompoundSignature) != 0)
    return 0;
  initOnce();
  ObjectRef input{
      gsf_input_memory_new(static_cast<const guint8*>(data), static_cast<gsf_off_t>(size), FALSE)};
  return readFrom(GSF_INPUT(input.object), out);
}

int ReadDocumentSummary(const std::string& path, std::vector<SummaryProperty>* out) {
  if (!out) return 0;
  out->clear();
  // The signature is checked before the reader sees the file, so that a FIFO or a large
  // file of another kind costs only these eight bytes.
  std::string head;
  if (!ReadFileHead(path, sizeof kCompoundSignature, &head) ||
      head.size() < sizeof kCompoundSignature ||
      std::memcmp(head.data(), kCompoundSignature, sizeof kCompoundSignature) != 0)
    return 0;
  initOnce();
  GError* error = nullptr;
  ObjectRef input{gsf_input_stdio_new(path.c_str(), &error)};
  if (error) g_error_free(error);
  return readFrom(GSF_INPUT(input.object), out);
}

}  // namespace tf
