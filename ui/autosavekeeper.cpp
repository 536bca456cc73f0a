#include "ui/autosavekeeper.h"

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/tracker.h"
#include "ui/mainform.h"
#include "ui/prompts.h"

namespace {

// Signals reach the window thread through a pipe: the handler only writes
// the signal's number into it, and the event loop does the rest.
int signalPipe[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

// SIGINT only for a program started from a terminal, where Ctrl+C means
// "end this"; elsewhere it keeps its usual meaning.
std::vector<int> EndingSignals() {
  std::vector<int> numbers = {SIGTERM, SIGHUP};
  if (::isatty(STDIN_FILENO)) numbers.push_back(SIGINT);
  return numbers;
}

void SetHandler(int number, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(number, &action, nullptr);
}

// The keeper whose program is running, for an exit that bypasses the window
// (the display gone, a fatal error): it still writes its copy.
std::atomic<TAutosaveKeeper*> runningKeeper{nullptr};

void AtExit() {
  if (TAutosaveKeeper* keeper = runningKeeper.exchange(nullptr)) keeper->EndUnasked(-1);
}

// The main window's X window destroyed by someone else: the window system
// tells it with a DestroyNotify, after which the program would run on with
// no window at all.
class TWindowWatch : public QAbstractNativeEventFilter {
 public:
  TWindowWatch(QWidget& window, std::function<void()> lost)
      : window(window), lost(std::move(lost)) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    // Our own destruction of the window resets its id first.
    if (window.internalWinId() != 0 && destroyed->window == xcb_window_t(window.internalWinId()))
      lost();
    return false;
  }

 private:
  QWidget& window;
  std::function<void()> lost;
};

}  // namespace

QString AutosaveCopyText(const cAutosaveCopy& copy, const QString& original) {
  const QString song =
      original.isEmpty() ? QString::fromStdString(copy.song) : QFileInfo(original).fileName();
  const QDateTime time = QDateTime::fromMSecsSinceEpoch(copy.time / 1000000);
  return song + " from " + time.toString("yyyy-MM-dd HH:mm:ss");
}

TAutosaveKeeper::TAutosaveKeeper(TMainForm& form, const std::string& stateFolder, int32_t seconds)
    : QObject(&form), form(form), autosave(stateFolder, seconds) {
  timer.setInterval(1000);
  connect(&timer, &QTimer::timeout, this, [this] { OnTimer(); });
  autosave.SetListener([this](const cAutosaveResult& result) {
    QMetaObject::invokeMethod(
        this, [this, result] { Told(result); }, Qt::QueuedConnection);
  });
}

TAutosaveKeeper::~TAutosaveKeeper() {
  End();
  // No word of a copy may reach this object once it is gone.
  autosave.Idle();
  autosave.SetListener({});
}

void TAutosaveKeeper::Start() {
  if (started || !autosave.Enabled() || form.Tracker() == nullptr) return;
  started = true;
  std::string problem;
  if (!autosave.Begin(&problem))
    form.SystemMessage(QString::fromStdString("Autosave failed: " + problem));
  runningKeeper = this;
  static const bool registered = std::atexit(AtExit) == 0;
  (void)registered;
  WatchSignals();
  WatchWindow();
  AskRestore();
  if (!ending) timer.start();
}

void TAutosaveKeeper::End() {
  if (!started) return;
  started = false;
  runningKeeper = nullptr;
  timer.stop();
  if (windowWatch) QCoreApplication::instance()->removeNativeEventFilter(windowWatch.get());
  windowWatch.reset();
  if (signalNotifier != nullptr) {
    for (int number : EndingSignals()) SetHandler(number, SIG_DFL);
    delete signalNotifier;
    signalNotifier = nullptr;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
  }
  autosave.End(!unsavedAtEnd);
}

void TAutosaveKeeper::EndUnasked(int status) {
  if (ending) return;
  ending = true;
  timer.stop();
  cTracker* tracker = form.Tracker();
  unsavedAtEnd = started && tracker != nullptr && tracker->Modified();
  std::string problem;
  if (unsavedAtEnd && !autosave.WriteNow(*tracker, SongFile(), &problem))
    std::fprintf(stderr, "murvelon: autosave failed: %s\n", problem.c_str());
  if (status >= 0) {
    QCoreApplication::exit(status);
  } else {
    autosave.End(!unsavedAtEnd);
  }
}

std::string TAutosaveKeeper::SongFile() const { return form.SongFile().toStdString(); }

void TAutosaveKeeper::OnTimer() {
  if (ending || form.Tracker() == nullptr) return;
  autosave.Tick(*form.Tracker(), SongFile(), cAutosave::tClock::now());
}

// One line in the message label; the next interval tries again.
void TAutosaveKeeper::Told(const cAutosaveResult& result) {
  if (result.written || ending) return;
  form.SystemMessage(QString::fromStdString("Autosave failed: " + result.problem));
}

void TAutosaveKeeper::WatchSignals() {
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
  connect(signalNotifier, &QSocketNotifier::activated, this, [this] {
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1) EndUnasked(128 + number);
  });
  for (int number : EndingSignals()) SetHandler(number, OnSignal);
}

void TAutosaveKeeper::WatchWindow() {
  if (QCoreApplication::instance() == nullptr) return;
  windowWatch = std::make_unique<TWindowWatch>(form, [this] {
    // Outside the filter: the copy may take a while.
    QMetaObject::invokeMethod(
        this, [this] { EndUnasked(1); }, Qt::QueuedConnection);
  });
  QCoreApplication::instance()->installNativeEventFilter(windowWatch.get());
}

// The newest offer first; Yes restores it and ends the asking, No leaves
// its copies for File > "Open Autosave..." and asks about the next.
void TAutosaveKeeper::AskRestore() {
  cRestoreOffers found;
  found.Find(autosave.State(), autosave.Session());
  for (size_t i = 0; i < found.Offers().size() && !ending; ++i) {
    const cRestoreOffer& offer = found.Offers()[i];
    const QString original = QString::fromStdString(offer.original);
    const QString question =
        "Restore the unsaved work of " + AutosaveCopyText(offer.copies.front(), original) + "?";
    const bool yes = form.Prompts().Propose(&form, "Restore", question);
    if (ending) return;  // the program is ending: asked again next time
    found.Answered(i);
    if (yes && Restore(offer.copies, original, "Restore")) return;
  }
}

bool TAutosaveKeeper::Restore(const std::vector<cAutosaveCopy>& copies, const QString& original,
                              const QString& title) {
  cRestored restored;
  form.LoadRecovered(
      [&] {
        restored = RestoreAutosave(*form.Tracker(), copies);
        return restored.restored;
      },
      original);
  QStringList skipped;
  for (const std::string& why : restored.skipped) skipped << QString::fromStdString(why);
  if (!restored.restored) {
    form.Prompts().Inform(&form, title, "The autosave could not be read.\n" + skipped.join("\n"));
    return false;
  }
  if (!skipped.isEmpty()) form.SystemMessage("Damaged autosave passed over: " + skipped.join("; "));
  return true;
}

bool TAutosaveKeeper::OpenAutosaveClick() {
  const QString title = "Open Autosave";
  cTracker* tracker = form.Tracker();
  if (tracker == nullptr) return false;
  const std::vector<cAutosaveCopy> copies = autosave.State().Copies();
  if (autosave.State().Folder().empty() || copies.empty()) {
    form.Prompts().Inform(&form, title, "There are no autosaves.");
    return false;
  }
  if (!form.AskDiscard(title)) return false;
  QStringList items;
  std::vector<QString> originals;
  for (const cAutosaveCopy& copy : copies) {
    originals.push_back(QString::fromStdString(autosave.State().OriginalFile(copy)));
    items << AutosaveCopyText(copy, originals.back());
  }
  const int chosen = form.Prompts().ChooseItem(&form, title, "Autosaves, newest first:", items);
  if (chosen < 0 || size_t(chosen) >= copies.size()) return false;
  return Restore({copies[size_t(chosen)]}, originals[size_t(chosen)], title);
}
