// PreviewPane: what every preview pane shares: the caption lines ("File name:" in dark red,
// the others in dark blue) above the content, which fills the rest with a small margin, and
// a message that takes the content's place when the file cannot be shown.
#pragma once

#include <string>
#include <vector>

#include <QWidget>

class QGridLayout;
class QLabel;
class QVBoxLayout;

namespace tf {

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  // `captions`: the labels of the lines after "File name:" ("Last modified:", ...).
  PreviewPane(const std::vector<QString>& captions, QWidget* parent);

  // Shows `path` (an existing file of the pane's kind). A file that cannot be shown
  // leaves the captions filled and a message in place of the content.
  virtual void Open(const std::string& path) = 0;
  // Drops what the pane shows and hides it.
  virtual void Close();

  // The caption value of line `index` (0: the file name) and the message, as shown.
  QString captionText(int index) const;
  QString messageText() const;
  bool showsMessage() const;

 protected:
  void setCaption(int index, const QString& text);
  // The widget the pane shows its content in; the pane takes it over.
  void setContent(QWidget* content);
  // Shows `text` instead of the content; an empty text shows the content again.
  void setMessage(const QString& text);
  // "File name:" and "Last modified:" (date " / " time) of `path`; false when the file
  // cannot be asked.
  bool fillNameAndTime(const std::string& path);

 private:
  QGridLayout* m_captionGrid;
  QVBoxLayout* m_body;
  std::vector<QLabel*> m_values;
  QLabel* m_message;
  QWidget* m_content = nullptr;
};

// "date / time" of a file time in the user's formats; empty for a zero time.
QString DateSlashTime(int64_t fileTime);

}  // namespace tf
