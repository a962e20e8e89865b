#include "qt/main_window.h"

#include <QDropEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>

#include "qt/wrap_button.h"

#include "app/identity.h"
#include "main_window/main_window.h"
#include "qt/click_label.h"

namespace framora::qt {

MainWindow::MainWindow(AppContext& ctx) : ctx_(ctx) {
  setObjectName("Form1");
  setWindowTitle(identity::kMainCaption);
  setWindowIcon(ProgramIcon());

  menuBar_ = new QMenuBar(this);
  QMenu* file = menuBar_->addMenu("&File");
  file->setObjectName("mnuFile");
  auto item = [&](const char* name, const QString& caption) {
    QAction* a = file->addAction(caption);
    a->setObjectName(name);
    return a;
  };
  QAction* help = item("mnuHelp", "&Help");
  QAction* about = item("mnuAbout", "&About");
  file->addSeparator()->setObjectName("mnuSpacer1");
  QAction* donate = item("mnuDonate", "Donate");
  file->addSeparator()->setObjectName("mnuspacer2");
  QAction* exit = item("mnuExit", "E&xit");

  // The client area sits below the menu bar; the controls keep their places when resized.
  client_ = new QWidget(this);
  client_->setObjectName("client");
  const int menuHeight = menuBar_->sizeHint().height();
  menuBar_->setGeometry(0, 0, Twips(7725), menuHeight);
  client_->setGeometry(0, menuHeight, Twips(7725), Twips(6600));
  resize(Twips(7725), menuHeight + Twips(6600));

  auto button = [&](const char* name, const char* caption, int l, int t, int w, int h) {
    auto* b = new WrapButton(caption, client_);
    b->setObjectName(name);
    PlaceTwips(b, l, t, w, h);
    return b;
  };
  auto label = [&](const char* name, const char* caption, int l, int t, int w, int h) {
    auto* lbl = new QLabel(caption, client_);
    lbl->setObjectName(name);
    lbl->setTextFormat(Qt::PlainText);
    lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbl->setWordWrap(true);
    PlaceTwips(lbl, l, t, w, h);
    return lbl;
  };
  auto field = [&](const char* name, int l, int t, int w, int h) {
    auto* e = new QLineEdit(client_);
    e->setObjectName(name);
    PlaceTwips(e, l, t, w, h);
    return e;
  };

  auto* command1 = button("Command1", "FFMPEG EXE LOCATION", 240, 240, 1575, 975);
  auto* command2 = button("Command2", "IMAGE FILE", 2040, 240, 1575, 975);
  auto* command3 = button("Command3", "AUDIO FILE", 3840, 240, 1575, 975);
  label("Label1", "FFMPEG  Executable location ", 240, 1680, 1455, 375);
  auto* text1 = field("Text1", 1920, 1680, 5415, 375);
  label("Label2", "Image file location ", 240, 2280, 1455, 375);
  auto* text2 = field("Text2", 1920, 2280, 5415, 375);
  label("Label3", "Audio file  location ", 240, 2760, 1455, 375);
  auto* text3 = field("Text3", 1920, 2760, 5415, 375);
  auto* picture = new ClickLabel([this] { logic_->LaunchConversion(); }, client_);
  picture->setObjectName("Picture1");
  PlaceTwips(picture, 3840, 3600, 3735, 2655);
  picture->setPixmap(QPixmap(":/images/execute-button.png"));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setCursor(Qt::PointingHandCursor);
  picture->setFocusPolicy(Qt::TabFocus);
  label("Label4", "Save as file :>  (choose output)", 240, 3840, 2895, 375);
  auto* text4 = field("Text4", 240, 4440, 3255, 495);
  // Files from a file manager may be dropped on a field or anywhere else on the window.
  setAcceptDrops(true);
  for (QLineEdit* box : {text1, text2, text3, text4}) box->installEventFilter(this);
  auto* command4 = button("Command4", "Choose saveas filename output", 360, 5520, 3135, 735);

  // Tab order as the window was designed: the controls that take focus, by tab index.
  QWidget* order[] = {command1, text1, command2, command3, text2, text3, picture, text4, command4};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  logic_ = std::make_unique<framora::MainWindow>(
      *this,
      MainWindowPorts{*ctx_.settings, *ctx_.messages, *ctx_.fileDialog, *ctx_.files, *ctx_.desktop,
                      *ctx_.windows, ShellKind::Posix, ctx_.programs, ctx_.ffmpegSearch});

  connect(command1, &QPushButton::clicked, this, [this] { logic_->Command1_Click(); });
  connect(command2, &QPushButton::clicked, this, [this] { logic_->Command2_Click(); });
  connect(command3, &QPushButton::clicked, this, [this] { logic_->Command3_Click(); });
  connect(command4, &QPushButton::clicked, this, [this] { logic_->Command4_Click(); });
  connect(help, &QAction::triggered, this, [this] { logic_->mnuHelp_Click(); });
  connect(about, &QAction::triggered, this, [this] { logic_->mnuAbout_Click(); });
  connect(donate, &QAction::triggered, this, [this] { logic_->mnuDonate_Click(); });
  connect(exit, &QAction::triggered, this, [this] { logic_->mnuExit_Click(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::Load() { logic_->Load(); }

bool MainWindow::TakeDrop(QEvent* event, std::string_view control) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  // Text dragged from an editor is the field's own business, as typing is.
  if (drop->mimeData() == nullptr || !drop->mimeData()->hasUrls()) return false;
  drop->acceptProposedAction();
  if (type == QEvent::Drop) {
    std::vector<std::string> items;
    for (const QUrl& url : drop->mimeData()->urls()) items.push_back(url.toEncoded().toStdString());
    logic_->FilesDropped(control, items);
  }
  return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!TakeDrop(event, "")) FramoraWindow::dragEnterEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (!TakeDrop(event, "")) FramoraWindow::dragMoveEvent(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
  if (!TakeDrop(event, "")) FramoraWindow::dropEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (qobject_cast<QLineEdit*>(watched) != nullptr &&
      TakeDrop(event, watched->objectName().toStdString())) {
    return true;
  }
  if (watched->objectName() == "Text4" && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
      logic_->Text4_KeyDown(kKeyEnter, static_cast<int>(key->modifiers()));
    return false;  // the key goes on to the field unchanged
  }
  return FramoraWindow::eventFilter(watched, event);
}

}  // namespace framora::qt
