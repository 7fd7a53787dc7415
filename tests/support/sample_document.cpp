#include "tests/support/sample_document.h"

#include <gsf/gsf.h>

namespace tf {

bool WriteSampleDocument(const std::string& path, const std::vector<SampleProperty>& properties) {
  gsf_init();
  GError* error = nullptr;
  GsfOutput* file = gsf_output_stdio_new(path.c_str(), &error);
  if (!file) {
    if (error) g_error_free(error);
    return false;
  }
  GsfOutfile* ole = gsf_outfile_msole_new(file);
  GsfDocMetaData* meta = gsf_doc_meta_data_new();
  for (const SampleProperty& p : properties) {
    GValue* value = g_new0(GValue, 1);
    if (const auto* text = std::get_if<std::string>(&p.value)) {
      g_value_init(value, G_TYPE_STRING);
      g_value_set_string(value, text->c_str());
    } else if (const auto* number = std::get_if<int>(&p.value)) {
      g_value_init(value, G_TYPE_INT);
      g_value_set_int(value, *number);
    } else if (const auto* flag = std::get_if<bool>(&p.value)) {
      g_value_init(value, G_TYPE_BOOLEAN);
      g_value_set_boolean(value, *flag);
    } else if (const auto* real = std::get_if<double>(&p.value)) {
      g_value_init(value, G_TYPE_DOUBLE);
      g_value_set_double(value, *real);
    } else {
      GsfTimestamp* stamp = gsf_timestamp_new();
      gsf_timestamp_set_time(stamp, static_cast<guint64>(std::get<int64_t>(p.value)));
      g_value_init(value, GSF_TIMESTAMP_TYPE);
      g_value_set_boxed(value, stamp);
      gsf_timestamp_free(stamp);
    }
    gsf_doc_meta_data_insert(meta, g_strdup(p.name.c_str()), value);
  }
  GsfOutput* summary = gsf_outfile_new_child(ole, "\005SummaryInformation", FALSE);
  bool ok = gsf_doc_meta_data_write_to_msole(meta, summary, FALSE);
  ok = gsf_output_close(summary) && ok;
  g_object_unref(summary);
  GsfOutput* body = gsf_outfile_new_child(ole, "WordDocument", FALSE);
  const std::string text(3000, 'w');
  ok = gsf_output_write(body, text.size(), reinterpret_cast<const guint8*>(text.data())) && ok;
  ok = gsf_output_close(body) && ok;
  g_object_unref(body);
  ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
  g_object_unref(ole);
  g_object_unref(file);
  g_object_unref(meta);
  return ok;
}

}  // namespace tf
