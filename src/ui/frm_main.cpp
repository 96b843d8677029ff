// The main window's widgets and their layout, and its buttons.
#include "ui/frm_main.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabBar>
#include <QVBoxLayout>
#include <utility>

#include "interfaces/prompt.h"
#include "printing/print_request.h"
#include "ui/frm_about.h"
#include "ui/frm_status.h"
#include "ui/pictures.h"
#include "ui/printer_dialogs.h"
#include "ui/source_file.h"

namespace quireon2::ui {
namespace {

QCheckBox* NewCheckBox(const char* name, const char* caption, bool checked, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

// Option `index` of a group with its picture; both are named by prefix and index.
QRadioButton* NewPictureOption(PictureKind kind, int index, const char* caption,
                               const char* option_prefix, const char* picture_prefix,
                               QButtonGroup* group, QWidget* parent, Picture*& picture) {
  auto* option = new QRadioButton(caption, parent);
  option->setObjectName(QString("%1%2").arg(option_prefix).arg(index));
  group->addButton(option, index);
  picture = new Picture(kind, index, parent);
  picture->setObjectName(QString("%1%2").arg(picture_prefix).arg(index));
  return option;
}

QLineEdit* NewNumberBox(const char* name, const char* text, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
  edit->setObjectName(name);
  edit->setMaxLength(2);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("000") + 16);
  return edit;
}

// A tab into a group of options lands on the selected one; the arrow keys move inside it.
void TabLandsOnSelected(QButtonGroup* group) {
  auto update = [group] {
    const bool any_checked = group->checkedButton() != nullptr;
    for (QAbstractButton* option : group->buttons()) {
      option->setFocusPolicy(!any_checked || option->isChecked() ? Qt::StrongFocus
                                                                 : Qt::ClickFocus);
    }
  };
  QObject::connect(group, &QButtonGroup::buttonToggled, group, update);
  update();
}

// The access key's letter left out, for the screen reader's name.
QString WithoutKey(QString caption) { return caption.remove('&').trimmed(); }

// The font preview: one line whatever the font, so the window keeps its size. The caption
// is cut in the middle when it does not fit, so the size stays in view; the whole caption
// stays its text.
class FontPreviewLabel : public QLabel {
 public:
  using QLabel::QLabel;
  QSize sizeHint() const override { return {120, QLabel::minimumSizeHint().height()}; }
  QSize minimumSizeHint() const override { return {60, height()}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), 0, -margin(), 0);
    painter.setFont(font());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
  }
};

}  // namespace

FrmMain::FrmMain(Program& program, StartupEnvironment environment, QWidget* parent)
    : QWidget(parent), program_(program), environment_(std::move(environment)) {
  setObjectName("frmMain");
  setWindowIcon(ProgramIcon());
  program_.io.window = this;
  if (program_.io.status == nullptr) program_.io.status = &idle_status_;
  BuildControls();
  ConnectRules();
  source_file_ = new SourceFile(program_, Text1_, P_, TabStrip1_, this);
  AddShortcutsAndDescriptions();
}

FrmMain::~FrmMain() {
  if (program_.io.window == this) program_.io.window = nullptr;
  if (program_.io.status == &idle_status_) program_.io.status = nullptr;
}

void FrmMain::BuildControls() {
  Label7_ = new QLabel("File Name", this);
  Label7_->setObjectName("Label7");
  QFont bold = Label7_->font();
  bold.setBold(true);
  Label7_->setFont(bold);
  Text1_ = new QLineEdit(this);
  Text1_->setObjectName("Text1");
  Text1_->setMinimumWidth(360);
  FileBrowse_ = new QPushButton("&Browse", this);
  FileBrowse_->setObjectName("FileBrowse");

  TabStrip1_ = new QTabBar(this);
  TabStrip1_->setObjectName("TabStrip1");
  TabStrip1_->addTab("&Layout");
  TabStrip1_->addTab("Forma&tting");
  TabStrip1_->setDrawBase(false);
  TabStrip1_->setExpanding(false);

  auto* pages = new QFrame(this);
  pages->setObjectName("TabPages");
  pages->setFrameShape(QFrame::StyledPanel);
  auto* page_grid = new QGridLayout(pages);
  page_grid->setContentsMargins(12, 12, 12, 12);
  Frame10_[0] = new QFrame(pages);
  Frame10_[1] = new QFrame(pages);
  for (int i = 0; i < 2; ++i) {
    Frame10_[i]->setObjectName(QString("Frame10_%1").arg(i));
    Frame10_[i]->setFrameShape(QFrame::NoFrame);
    // Both pages keep their room, so switching pages never resizes the window.
    QSizePolicy policy = Frame10_[i]->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    Frame10_[i]->setSizePolicy(policy);
    page_grid->addWidget(Frame10_[i], 0, 0);
  }
  auto* layout_page = new QVBoxLayout(Frame10_[0]);
  layout_page->setContentsMargins(0, 0, 0, 0);
  layout_page->addWidget(BuildLayoutPage());
  auto* formatting_page = new QVBoxLayout(Frame10_[1]);
  formatting_page->setContentsMargins(0, 0, 0, 0);
  formatting_page->addWidget(BuildFormattingPage());
  Frame10_[1]->hide();

  P_ = new QPushButton("&Print", this);
  P_->setObjectName("P_0");
  P_->setEnabled(false);
  QFont print_font = P_->font();
  print_font.setBold(true);
  P_->setFont(print_font);
  P_->setMinimumWidth(110);
  static const char* const kAboutHelpExit[3] = {"&About", "&Help", "E&xit"};
  for (int i = 0; i < 3; ++i) {
    AboutHelpExit_[i] = new QPushButton(kAboutHelpExit[i], this);
    AboutHelpExit_[i]->setObjectName(QString("AboutHelpExit_%1").arg(i));
  }

  auto* file_row = new QHBoxLayout;
  file_row->addWidget(Text1_, 1);
  file_row->addWidget(FileBrowse_);
  auto* button_row = new QHBoxLayout;
  button_row->addWidget(P_);
  button_row->addStretch(1);
  for (QPushButton* button : AboutHelpExit_) button_row->addWidget(button);

  auto* all = new QVBoxLayout(this);
  all->addWidget(Label7_);
  all->addLayout(file_row);
  all->addSpacing(8);
  all->addWidget(TabStrip1_);
  all->setSpacing(6);
  all->addWidget(pages, 1);
  all->addSpacing(4);
  all->addLayout(button_row);
  all->setSizeConstraint(QLayout::SetMinimumSize);
}

QWidget* FrmMain::BuildLayoutPage() {
  auto* page = new QWidget(this);
  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(0, 0, 0, 0);

  auto* layouts = new QGridLayout;
  layouts->setHorizontalSpacing(10);
  layouts->setVerticalSpacing(6);
  layout_group_ = new QButtonGroup(this);
  static const char* const kLayoutCaptions[3] = {"&1 up", "&2 up", " &4 up"};
  for (int i = 0; i < 3; ++i) {
    LayoutSelection_[i] = NewPictureOption(PictureKind::kLayout, i, kLayoutCaptions[i],
                                           "LayoutSelection_", "Image1_", layout_group_, page,
                                           Image1_[i]);
  }
  DoBooklet_ = NewCheckBox("DoBooklet", "B&ooklet (2 up only)", true, page);
  LayoutSelection_[1]->setChecked(true);
  Image1_[1]->SetSelected(true);
  layouts->addWidget(Image1_[0], 0, 0);
  layouts->addWidget(LayoutSelection_[0], 0, 1);
  layouts->addWidget(Image1_[1], 1, 0);
  auto* two_up = new QVBoxLayout;
  two_up->addStretch(1);
  two_up->addWidget(LayoutSelection_[1]);
  auto* booklet_row = new QHBoxLayout;
  booklet_row->addSpacing(20);
  booklet_row->addWidget(DoBooklet_);
  two_up->addLayout(booklet_row);
  two_up->addStretch(1);
  layouts->addLayout(two_up, 1, 1);
  layouts->addWidget(Image1_[2], 2, 0);
  layouts->addWidget(LayoutSelection_[2], 2, 1);
  layouts->setRowStretch(3, 1);
  row->addLayout(layouts);
  row->addSpacing(12);

  auto* Frame5 = new QGroupBox("Paper Feed Options", page);
  Frame5->setObjectName("Frame5");
  auto* modes = new QGridLayout(Frame5);
  modes->setHorizontalSpacing(10);
  modes->setVerticalSpacing(4);
  mode_group_ = new QButtonGroup(this);
  static const char* const kModeCaptions[4] = {"LJet St&raight Through", "Fl&ipped",
                                               "&Double Side printer only",
                                               "Ink &Jet Straight Through"};
  for (int i = 0; i < 4; ++i) {
    printermode_[i] = NewPictureOption(PictureKind::kPaperFeed, i, kModeCaptions[i],
                                       "printermode_", "Image2_", mode_group_, Frame5,
                                       Image2_[i]);
  }
  printermode_[3]->setChecked(true);
  Image2_[3]->SetSelected(true);
  auto* Label1 = new QLabel("Top fed source", Frame5);
  Label1->setObjectName("Label1_0");
  QFont note = Label1->font();
  note.setItalic(true);
  Label1->setFont(note);
  auto* Line1 = new QFrame(Frame5);
  Line1->setObjectName("Line1");
  Line1->setFrameShape(QFrame::HLine);
  Line1->setFrameShadow(QFrame::Sunken);
  for (int i = 0; i < 3; ++i) {
    modes->addWidget(Image2_[i], i, 0);
    modes->addWidget(printermode_[i], i, 1);
  }
  modes->addWidget(Line1, 3, 0, 1, 2);
  modes->addWidget(Image2_[3], 4, 0, 2, 1);
  modes->addWidget(Label1, 4, 1, Qt::AlignBottom);
  modes->addWidget(printermode_[3], 5, 1, Qt::AlignTop);
  modes->setColumnStretch(1, 1);
  row->addWidget(Frame5, 1);
  return page;
}

QWidget* FrmMain::BuildFormattingPage() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(10);

  DoOutlines_ = NewCheckBox("DoOutlines", "Print Page &Outlines", false, page);
  grid->addWidget(DoOutlines_, 0, 0, 1, 2);

  // The header's and the footer's boxes read alike, so each has its own access keys.
  using Captions = std::array<const char*, 3>;
  auto header_footer = [&](const char* name, const char* title, const Captions& captions,
                           QCheckBox*& page_num, const char* page_num_name, QCheckBox*& file_name,
                           const char* file_name_name, QCheckBox*& date, const char* date_name) {
    auto* frame = new QGroupBox(title, page);
    frame->setObjectName(name);
    auto* column = new QVBoxLayout(frame);
    page_num = NewCheckBox(page_num_name, captions[0], false, frame);
    file_name = NewCheckBox(file_name_name, captions[1], false, frame);
    date = NewCheckBox(date_name, captions[2], false, frame);
    column->addWidget(page_num);
    column->addWidget(file_name);
    column->addWidget(date);
    return frame;
  };
  grid->addWidget(header_footer("Frame1_2", "Header Options",
                                {"Pa&ge Number", "File &Name", "To&day's Date"}, HPageNum_,
                                "HPageNum", HFilename_, "HFilename", HDate_, "HDate"),
                  1, 0);
  grid->addWidget(header_footer("Frame1_3", "Footer Options",
                                {"Page Numbe&r", "File Na&me", "Toda&y's Date"}, FPageNum_,
                                "FPageNum", FFileName_, "FFileName", FDate_, "FDate"),
                  1, 1);

  auto* Frame4 = new QGroupBox("Tab Expansion ", page);
  Frame4->setObjectName("Frame4");
  auto* tabs = new QGridLayout(Frame4);
  DoTabEx_ = NewCheckBox("DoTabEx", "&Expand Tabs", true, Frame4);
  // Off: each tab is the same run of blanks. On: a tab reaches the next multiple of the
  // width, counted from the start of its line, so columns of code stay aligned.
  TabStops_ = NewCheckBox("TabStops", "Tab stops", false, Frame4);
  TabStops_->setToolTip("A tab advances to the next multiple of the width, counted from the "
                        "start of its line");
  TCount_ = NewNumberBox("TCount", "5", Frame4);
  DoWordWrap_ = NewCheckBox("DoWordWrap", "&Word Wrap", true, Frame4);
  DoWordWrap_->hide();
  auto* width_label = new QLabel("Spaces per tab", Frame4);
  width_label->setBuddy(TCount_);
  tabs->addWidget(DoTabEx_, 0, 0, 1, 2);
  tabs->addWidget(TCount_, 1, 0);
  tabs->addWidget(width_label, 1, 1);
  tabs->addWidget(TabStops_, 2, 0, 1, 2);
  tabs->addWidget(DoWordWrap_, 3, 0, 1, 2);
  tabs->setColumnStretch(1, 1);
  grid->addWidget(Frame4, 2, 0);

  auto* Frame2 = new QGroupBox("Signatures", page);
  Frame2->setObjectName("Frame2");
  auto* signatures = new QGridLayout(Frame2);
  DoSig_ = NewCheckBox("DoSig", "&Use Signatures", false, Frame2);
  SigNum_ = NewNumberBox("SigNum", "4", Frame2);
  auto* Label3 = new QLabel("&Signatures per book", Frame2);
  Label3->setObjectName("Label3_0");
  Label3->setBuddy(SigNum_);
  signatures->addWidget(DoSig_, 0, 0, 1, 2);
  signatures->addWidget(SigNum_, 1, 0);
  signatures->addWidget(Label3, 1, 1);
  signatures->setColumnStretch(1, 1);
  grid->addWidget(Frame2, 2, 1);

  FontPreview_ = new FontPreviewLabel("The current font is ", page);
  FontPreview_->setObjectName("FontPreview");
  FontPreview_->setFrameShape(QFrame::StyledPanel);
  FontPreview_->setMargin(6);
  // Room for the largest size the preview draws, whatever size is chosen.
  QFont largest("Times New Roman");
  largest.setPointSizeF(kLargestPreviewPoints);
  FontPreview_->setFixedHeight(QFontMetrics(largest).height() + 2 * 6 + 4);
  FontPreview_->setFont(QFont("Times New Roman"));
  FontPreview_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  static const char* const kPrinterFont[2] = {"Pr&inter setup", "&Font"};
  auto* font_row = new QHBoxLayout;
  font_row->setSpacing(8);
  font_row->addWidget(FontPreview_, 1);
  for (int i = 0; i < 2; ++i) {
    PrinterFont_[i] = new QPushButton(kPrinterFont[i], page);
    PrinterFont_[i]->setObjectName(QString("PrinterFont_%1").arg(i));
    font_row->addWidget(PrinterFont_[i]);
  }
  grid->addLayout(font_row, 3, 0, 1, 2);
  grid->setRowStretch(4, 1);
  return page;
}

void FrmMain::ConnectRules() {
  for (int i = 0; i < 3; ++i) {
    connect(LayoutSelection_[i], &QRadioButton::toggled, this, [this, i](bool checked) {
      Image1_[i]->SetSelected(checked);
      if (checked) RunRule([this, i] { LayoutSelection_Click(i); });
    });
    connect(Image1_[i], &Picture::clicked, this, &FrmMain::Image1_Click);
  }
  for (int i = 0; i < 4; ++i) {
    connect(printermode_[i], &QRadioButton::toggled, this,
            [this, i](bool checked) { Image2_[i]->SetSelected(checked); });
    connect(Image2_[i], &Picture::clicked, this, &FrmMain::Image2_Click);
  }
  connect(DoBooklet_, &QCheckBox::toggled, this, [this] { RunRule([this] { DoBooklet_Click(); }); });
  connect(DoSig_, &QCheckBox::toggled, this, [this] { RunRule([this] { DoSig_Click(); }); });
  connect(DoTabEx_, &QCheckBox::toggled, TabStops_, &QCheckBox::setEnabled);
  connect(DoOutlines_, &QCheckBox::toggled, this,
          [this] { RunRule([this] { DoOutlines_Click(); }); });
  connect(TabStrip1_, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });
  connect(FileBrowse_, &QPushButton::clicked, this, [this] { FileBrowse_Click(); });
  connect(P_, &QPushButton::clicked, this, [this] { P_Click(0); });
  for (int i = 0; i < 3; ++i) {
    connect(AboutHelpExit_[i], &QPushButton::clicked, this, [this, i] { AboutHelpExit_Click(i); });
  }
  for (int i = 0; i < 2; ++i) {
    connect(PrinterFont_[i], &QPushButton::clicked, this, [this, i] { PrinterFont_Click(i); });
  }
}

void FrmMain::AddShortcutsAndDescriptions() {
  // The desktop's keys: F1 help, Ctrl+Q leaves as "E&xit" does, Ctrl+O browses.
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      {QKeySequence(Qt::Key_F1), [this] { AboutHelpExit_Click(1); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { AboutHelpExit_Click(2); }},
      {QKeySequence(Qt::CTRL | Qt::Key_O), [this] { FileBrowse_Click(); }},
  };
  for (const auto& [key, action] : keys) {
    connect(new QShortcut(key, this), &QShortcut::activated, this, action);
  }
  // A typed or pasted name is checked when editing ends (Enter, or leaving the box: see
  // SourceFile); Enter then prints it.
  connect(Text1_, &QLineEdit::returnPressed, this, [this] {
    source_file_->CheckTyped();
    if (P_->isEnabled()) P_Click(0);
  });
  TabLandsOnSelected(layout_group_);
  TabLandsOnSelected(mode_group_);

  for (int i = 0; i < 3; ++i) {
    Image1_[i]->setAccessibleName(WithoutKey(LayoutSelection_[i]->text()) + " picture");
  }
  for (int i = 0; i < 4; ++i) {
    printermode_[i]->setToolTip(Image2_[i]->toolTip());
    Image2_[i]->setAccessibleName(WithoutKey(printermode_[i]->text()) + " picture");
  }
  Text1_->setAccessibleName("File Name");
  TCount_->setAccessibleName("Spaces per tab");
  SigNum_->setAccessibleName("Signatures per book");
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    button->setAccessibleName(WithoutKey(button->text()));
  }
}

void FrmMain::TabStrip1_Click() {
  int n = TabStrip1_->currentIndex() + 1;
  if (n < 1 || n > 2 || n == shown_page_) return;
  Frame10_[n - 1]->show();
  Frame10_[shown_page_ - 1]->hide();
  shown_page_ = n;
}

void FrmMain::AboutHelpExit_Click(int index) {
  switch (index) {
    case 0:
      if (!about_) about_ = new FrmAbout(this);
      about_->show();
      about_->raise();
      about_->activateWindow();
      break;
    case 1: {
      const std::string& page = program_.settings_state.help_path;
      if (environment_.open_help && !environment_.open_help(page)) {
        program_.prompt().Show("The help page " + page + " could not be opened.");
      }
      break;
    }
    case 2:
      cleanup();
      EndProcess();
      close();
      break;
    default:
      break;
  }
}

void FrmMain::P_Click(int) {
  // A printer that refuses what the layout needs cannot print the job: the request ends
  // before the status window opens, with one message.
  if (!PrepareForPrint(program_)) return;
  if (environment_.run_status_window) {
    environment_.run_status_window(program_, this);
  } else {
    FrmStatus status(program_, this);
    status.exec();
  }
}

void FrmMain::PrinterFont_Click(int index) { PrinterFontClick(program_, index, this); }

void FrmMain::FileBrowse_Click() { source_file_->Browse(); }

void FrmMain::OpenHandedFile(const std::string& path) {
  if (!path.empty()) source_file_->TakeFile(path);
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

}  // namespace quireon2::ui
