// The preview asks the core what the units step would name each group; nothing is written.
#include "GroupPreviewWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>
#include <set>

#include "ConversionReport.h"
#include "FormLook.h"
#include "GroupPreview.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

namespace {

// Narrow enough to sit beside the dialog on a screen 1280 pixels wide.
constexpr int kWidth = 290;
constexpr int kGap = 6;

QString FromText8(const std::string& text8) { return QString::fromStdString(Cp1252ToUtf8(text8)); }

QListWidgetItem* AddWarning(QListWidget* list, QStyle::StandardPixmap icon, const QString& text) {
  auto* item = new QListWidgetItem(list->style()->standardIcon(icon), text, list);
  item->setToolTip(text);
  return item;
}

}  // namespace

GroupPreviewWindow::GroupPreviewWindow(const SenecaDocument& document, QWidget* owner)
    : QWidget(owner, Qt::Tool), document_(document) {
  setObjectName(QStringLiteral("VistaPreviaGrupos"));
  setWindowTitle(QStringLiteral("Vista previa de grupos"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFont(FormFont());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);

  heading_ =
      new QLabel(QStringLiteral("Abreviaturas que recibirán los grupos con el NIVEL y el "
                                "CURSO de la tabla; cambian con cada valor que se confirma."),
                 this);
  heading_->setWordWrap(true);
  layout->addWidget(heading_);

  groups_ = new QTreeWidget(this);
  groups_->setObjectName(QStringLiteral("PreviewGroups"));
  groups_->setRootIsDecorated(false);
  groups_->setUniformRowHeights(true);
  groups_->setAlternatingRowColors(true);
  groups_->setSelectionMode(QAbstractItemView::NoSelection);
  groups_->setFocusPolicy(Qt::NoFocus);
  groups_->setHeaderLabels(
      {QStringLiteral("Grupo"), QStringLiteral("Unidad"), QStringLiteral("Estudios")});
  groups_->header()->setStretchLastSection(true);
  // Room for a warning sign and a name of five letters, a digit and a letter.
  groups_->setColumnWidth(0, 84);
  groups_->setColumnWidth(1, 66);
  layout->addWidget(groups_, 3);

  auto* warningsTitle = new QLabel(QStringLiteral("Avisos"), this);
  warningsTitle->setFont(FormFont(true));
  layout->addWidget(warningsTitle);

  warnings_ = new QListWidget(this);
  warnings_->setObjectName(QStringLiteral("PreviewWarnings"));
  warnings_->setWordWrap(true);
  warnings_->setIconSize(QSize(16, 16));
  warnings_->setTextElideMode(Qt::ElideNone);
  warnings_->setResizeMode(QListView::Adjust);
  warnings_->setSelectionMode(QAbstractItemView::NoSelection);
  warnings_->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(warnings_, 2);

  resize(kWidth, 480);
}

void GroupPreviewWindow::SetNotice(const QString& text) { notice_ = text; }

void GroupPreviewWindow::ShowCourses(const std::vector<CourseRow>& courses) {
  std::map<std::string, const CourseRow*> byCode;
  for (const CourseRow& course : courses) byCode.try_emplace(course.clave, &course);

  groups_->clear();
  warnings_->clear();
  if (!notice_.isEmpty()) AddWarning(warnings_, QStyle::SP_MessageBoxWarning, notice_);

  GroupPreview preview;
  try {
    preview = PreviewGroupNames(document_, courses);
  } catch (const TravalenError& failure) {
    // The units step would stop here too; the person can still change the levels.
    AddWarning(warnings_, QStyle::SP_MessageBoxCritical, QString::fromUtf8(failure.what()));
    return;
  }

  // A group whose course is named in a warning carries the warning's sign, so that the
  // odd names in the list lead to their explanation below.
  std::set<std::string> warned;
  for (const CourseLevelWarning& warning : preview.warnings)
    warned.insert(warning.courses.begin(), warning.courses.end());

  const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  for (const GroupName& group : preview.groups) {
    const auto course = byCode.find(group.courseCode);
    const QString studies =
        course == byCode.end() ? FromText8(group.courseCode) : FromText8(course->second->estud);
    auto* item = new QTreeWidgetItem(
        groups_, {FromText8(group.groupName), FromText8(group.unitName), studies});
    item->setToolTip(2, studies);
    if (warned.count(group.courseCode)) item->setIcon(0, warningIcon);
  }

  for (const CourseLevelWarning& warning : preview.warnings)
    AddWarning(
        warnings_, QStyle::SP_MessageBoxWarning,
        QStringLiteral("%1: %2\n%3")
            .arg(QString::fromUtf8(CategoryTitle(warning.category)),
                 QString::fromStdString(warning.item), QString::fromStdString(warning.text)));
  if (warnings_->count() == 0)
    AddWarning(warnings_, QStyle::SP_MessageBoxInformation,
               QStringLiteral("Ninguno: cada nivel y curso tendrá su propia serie de grupos."));
}

void GroupPreviewWindow::PlaceBeside(const QWidget& dialog) {
  const QRect frame = dialog.frameGeometry();
  resize(kWidth, dialog.height());
  // The frame the window manager adds is not known before the window is shown; the
  // dialog's own is the best guess.
  const QSize outer = size() + (frame.size() - dialog.size());
  const QScreen* screen = dialog.screen();
  const QRect room = screen ? screen->availableGeometry() : QRect();
  QPoint at(frame.right() + 1 + kGap, frame.top());
  if (room.isValid() && at.x() + outer.width() > room.right() + 1) {
    if (frame.left() - kGap - outer.width() >= room.left()) {
      at = {frame.left() - kGap - outer.width(), frame.top()};
    } else if (frame.bottom() + 1 + kGap + 200 <= room.bottom()) {
      at = {frame.left(), frame.bottom() + 1 + kGap};
      resize(dialog.width(), room.bottom() - at.y() - (outer.height() - height()));
    } else {
      at = {room.right() + 1 - outer.width(), frame.top()};
    }
  }
  move(at);
}

}  // namespace travalen
