// FiltersPage: the search window's page of file filters: four selector buttons, one per
// filter (name masks, size, time, attributes), each drawn highlighted while its filter
// is enabled, over the sub-page of the selected filter.
#pragma once

#include <array>
#include <memory>

#include <QStringList>
#include <QWidget>

class QPushButton;
class QStackedWidget;

namespace tf {

class AttributeFilterPage;
class FilterClock;
class FilterSubPage;
class MCMain;
class NameFilterPage;
class SearchHost;
class SizeFilterPage;
class TimeFilterPage;

class FiltersPage : public QWidget {
  Q_OBJECT

 public:
  // Sub-pages, in selector order.
  static constexpr int kNamePage = 0;
  static constexpr int kSizePage = 1;
  static constexpr int kTimePage = 2;
  static constexpr int kAttributePage = 3;

  // `clock` gives the local dates of the time filter (null: the user's time zone; it
  // must outlive the page otherwise).
  FiltersPage(SearchHost& host, MCMain* main, const FilterClock* clock = nullptr,
              QWidget* parent = nullptr);
  ~FiltersPage() override;
  FiltersPage(const FiltersPage&) = delete;
  FiltersPage& operator=(const FiltersPage&) = delete;

  // Shows the stored values of every filter and the selector's highlights.
  void Update();
  // Shows a sub-page (kNamePage..kAttributePage) and checks its selector button;
  // leaving the name sub-page remembers its masks.
  void ShowSubPage(int index);
  int CurrentSubPage() const { return m_current; }
  // The page is being left: the name sub-page's masks go to the recent lists.
  void Leave();

  QPushButton* selectorButton(int index) const { return m_selector.at(static_cast<size_t>(index)); }
  NameFilterPage* namePage() const { return m_name; }
  SizeFilterPage* sizePage() const { return m_size; }
  TimeFilterPage* timePage() const { return m_time; }
  AttributeFilterPage* attributePage() const { return m_attributes; }
  FilterSubPage* subPage(int index) const;
  // The selector texts of the filters that are on, in selector order.
  QStringList FiltersOn() const;
  // Draws `button` as the selector of an enabled filter (bold, green) or plainly, in
  // `plain` when given (else its own font, not bold).
  static void MarkFilterOn(QWidget* button, bool on, const QFont* plain = nullptr);

 signals:
  // A filter was switched on or off here.
  void filtersOnChanged();

 private:
  // Highlights the selector buttons of the enabled filters.
  void updateSelector();

  std::unique_ptr<FilterClock> m_ownClock;
  std::array<QPushButton*, 4> m_selector{};
  QStackedWidget* m_stack = nullptr;
  NameFilterPage* m_name = nullptr;
  SizeFilterPage* m_size = nullptr;
  TimeFilterPage* m_time = nullptr;
  AttributeFilterPage* m_attributes = nullptr;
  int m_current = kNamePage;
};

}  // namespace tf
