#include "ui/screenshot_document.h"

#include <gsf/gsf.h>

namespace tf {
namespace {

void insertText(GsfDocMetaData* meta, const char* name, const char* text) {
  GValue* value = g_new0(GValue, 1);
  g_value_init(value, G_TYPE_STRING);
  g_value_set_string(value, text);
  gsf_doc_meta_data_insert(meta, g_strdup(name), value);
}

void insertNumber(GsfDocMetaData* meta, const char* name, int number) {
  GValue* value = g_new0(GValue, 1);
  g_value_init(value, G_TYPE_INT);
  g_value_set_int(value, number);
  gsf_doc_meta_data_insert(meta, g_strdup(name), value);
}

void insertTime(GsfDocMetaData* meta, const char* name, guint64 unixSeconds) {
  GsfTimestamp* stamp = gsf_timestamp_new();
  gsf_timestamp_set_time(stamp, unixSeconds);
  GValue* value = g_new0(GValue, 1);
  g_value_init(value, GSF_TIMESTAMP_TYPE);
  g_value_set_boxed(value, stamp);
  gsf_timestamp_free(stamp);
  gsf_doc_meta_data_insert(meta, g_strdup(name), value);
}

}  // namespace

bool WriteScreenshotDocument(const std::string& path) {
  gsf_init();
  GError* error = nullptr;
  GsfOutput* file = gsf_output_stdio_new(path.c_str(), &error);
  if (!file) {
    if (error) g_error_free(error);
    return false;
  }
  GsfOutfile* ole = gsf_outfile_msole_new(file);
  GsfDocMetaData* meta = gsf_doc_meta_data_new();
  insertText(meta, "dc:title", "Annual report 2025");
  insertText(meta, "dc:subject", "Figures for the board");
  insertText(meta, "dc:creator", "Ann Lindqvist");
  insertText(meta, "dc:keywords", "report; budget");
  insertText(meta, "gsf:last-saved-by", "Bruno Keller");
  insertText(meta, "meta:editing-cycles", "14");
  insertTime(meta, "meta:creation-date", 1733222400);
  insertTime(meta, "dc:date", 1741859100);
  insertNumber(meta, "gsf:page-count", 18);
  insertNumber(meta, "gsf:word-count", 5120);
  insertText(meta, "meta:generator", "Office Writer 97");
  GsfOutput* summary = gsf_outfile_new_child(ole, "\005SummaryInformation", FALSE);
  bool ok = gsf_doc_meta_data_write_to_msole(meta, summary, FALSE);
  ok = gsf_output_close(summary) && ok;
  g_object_unref(summary);
  ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
  g_object_unref(ole);
  g_object_unref(file);
  g_object_unref(meta);
  return ok;
}

}  // namespace tf
