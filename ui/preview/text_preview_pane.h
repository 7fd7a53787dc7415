// TextPreviewPane: the first part of a text or source file, in a read-only field with
// both scroll bars; source text in the fixed-pitch font.
#pragma once

#include "ui/preview/preview_pane.h"

class QPlainTextEdit;

namespace tf {

// The most of a file the text preview reads: enough to fill any screen many times over,
// little enough that moving through a list of files stays quick.
constexpr size_t kTextPreviewBytes = 256 * 1024;

class TextPreviewPane : public PreviewPane {
  Q_OBJECT

 public:
  explicit TextPreviewPane(QWidget* parent);

  // Source files are shown in the fixed-pitch font.
  void SetFixedPitch(bool fixed);
  void Open(const std::string& path) override;
  void Close() override;

  QPlainTextEdit* field() const { return m_field; }

 private:
  QPlainTextEdit* m_field;
  QFont m_normalFont;
};

}  // namespace tf
