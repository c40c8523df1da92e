#include "platform/linux/AlsaAudioMixers.h"

#include <alsa/asoundlib.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <optional>
#include <utility>

namespace {

using Sink = std::function<void(const QString&)>;

// ALSA has one error handler for the whole process and gives it no context, so the sink it
// reaches has to be process-wide too. ALSA calls the handler on whichever thread used it (a media
// player's audio output may run ALSA on a thread of its own), hence the lock; the sink itself is
// only called on the thread that set it.
struct Diagnostics {
  std::mutex mutex;
  std::shared_ptr<const Sink> sink;
  QThread* sinkThread = nullptr;
  const AlsaAudioMixers* owner = nullptr;
};

Diagnostics& diagnostics() {
  static Diagnostics state;
  return state;
}

void deliver(const std::shared_ptr<const Sink>& sink, const QString& text) {
  Diagnostics& state = diagnostics();
  {
    // A complaint posted from another thread may arrive after the sink was replaced or cleared.
    const std::lock_guard lock(state.mutex);
    if (state.sink != sink) {
      return;
    }
  }
  (*sink)(text);
}

__attribute__((format(printf, 5, 6))) void printError(const char* file, int line,
                                                      const char* function, int err,
                                                      const char* format, ...) {
  std::shared_ptr<const Sink> sink;
  QThread* sinkThread = nullptr;
  {
    Diagnostics& state = diagnostics();
    const std::lock_guard lock(state.mutex);
    sink = state.sink;
    sinkThread = state.sinkThread;
  }
  if (!sink) {
    return;
  }

  std::va_list arguments;
  va_start(arguments, format);
  std::va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  QByteArray message;
  if (length > 0) {
    message.resize(length);
    std::vsnprintf(message.data(), static_cast<std::size_t>(length) + 1, format, arguments);
  }
  va_end(arguments);

  // The same facts ALSA's own handler prints.
  // One pass over the pattern: a "%1" inside the message must stay as it is.
  QString text =
      QStringLiteral("ALSA lib %1:%2:(%3) %4")
          .arg(QString::fromLocal8Bit(file ? file : ""), QString::number(line),
               QString::fromLocal8Bit(function ? function : ""), QString::fromLocal8Bit(message));
  if (err != 0) {
    text += QStringLiteral(": ") + QString::fromLocal8Bit(snd_strerror(err));
  }

  if (QThread::currentThread() == sinkThread) {
    deliver(sink, text);
    return;
  }
  QCoreApplication* application = QCoreApplication::instance();
  if (application != nullptr && application->thread() == sinkThread) {
    QMetaObject::invokeMethod(
        application, [sink, text] { deliver(sink, text); }, Qt::QueuedConnection);
  }
}

// Another user of ALSA in the process may put its own handler in place and later give the
// default one (the standard error) back; taking it again before each use keeps ours.
void claimErrorPrinting() { snd_lib_error_set_handler(&printError); }

struct MixerCloser {
  void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;

struct SelemIdFree {
  void operator()(snd_mixer_selem_id_t* id) const { snd_mixer_selem_id_free(id); }
};

constexpr const char* kMasterElement = "Master";

class AlsaAudioMixer final : public AudioMixer {
 public:
  explicit AlsaAudioMixer(MixerHandle handle) : handle_(std::move(handle)) {}
  ~AlsaAudioMixer() override {
    claimErrorPrinting();
    if (element_ != nullptr) {
      snd_mixer_elem_set_callback(element_, nullptr);
    }
  }
  AlsaAudioMixer(const AlsaAudioMixer&) = delete;
  AlsaAudioMixer& operator=(const AlsaAudioMixer&) = delete;

  [[nodiscard]] bool chooseMasterVolume() override {
    if (chosen_) {
      return *chosen_;
    }
    claimErrorPrinting();
    chosen_ = false;
    snd_mixer_selem_id_t* rawId = nullptr;
    if (snd_mixer_selem_id_malloc(&rawId) < 0) {
      return false;
    }
    const std::unique_ptr<snd_mixer_selem_id_t, SelemIdFree> id(rawId);
    snd_mixer_selem_id_set_name(id.get(), kMasterElement);
    snd_mixer_selem_id_set_index(id.get(), 0);
    snd_mixer_elem_t* element = snd_mixer_find_selem(handle_.get(), id.get());
    if (element == nullptr || snd_mixer_selem_has_playback_volume(element) == 0) {
      return false;
    }
    long minimum = 0;
    long maximum = 0;
    if (snd_mixer_selem_get_playback_volume_range(element, &minimum, &maximum) < 0) {
      return false;
    }
    // A card that goes away (a USB headset unplugged) takes its elements with it; the pointer
    // must not outlive the element.
    snd_mixer_elem_set_callback_private(element, this);
    snd_mixer_elem_set_callback(element, &AlsaAudioMixer::elementEvent);
    element_ = element;
    range_ = Range{minimum, maximum};
    chosen_ = true;
    return true;
  }

  [[nodiscard]] Range range() const override { return range_; }

  [[nodiscard]] std::optional<qint64> value() override {
    if (element_ == nullptr) {
      return std::nullopt;
    }
    claimErrorPrinting();
    // The simple mixer answers from what it last heard; changes made elsewhere (the desktop's
    // volume slider, pactl) wait in the event queue until handled.
    if (snd_mixer_handle_events(handle_.get()) < 0 || element_ == nullptr) {
      return std::nullopt;
    }
    long raw = 0;
    if (snd_mixer_selem_get_playback_volume(element_, SND_MIXER_SCHN_FRONT_LEFT, &raw) < 0) {
      return std::nullopt;
    }
    return raw;
  }

  [[nodiscard]] bool setValue(qint64 raw) override {
    // ALSA ignores a value outside the range without saying so.
    if (element_ == nullptr || raw < range_.minimum || raw > range_.maximum) {
      return false;
    }
    claimErrorPrinting();
    return snd_mixer_selem_set_playback_volume_all(element_, static_cast<long>(raw)) >= 0;
  }

 private:
  static int elementEvent(snd_mixer_elem_t* element, unsigned int mask) {
    if (mask == SND_CTL_EVENT_MASK_REMOVE) {
      auto* self = static_cast<AlsaAudioMixer*>(snd_mixer_elem_get_callback_private(element));
      if (self != nullptr) {
        self->element_ = nullptr;
      }
    }
    return 0;
  }

  MixerHandle handle_;
  snd_mixer_elem_t* element_ = nullptr;
  std::optional<bool> chosen_;
  Range range_;
};

}  // namespace

AlsaAudioMixers::AlsaAudioMixers() { claimErrorPrinting(); }

AlsaAudioMixers::~AlsaAudioMixers() {
  // The handler stays: complaints after this are dropped, never printed.
  Diagnostics& state = diagnostics();
  const std::lock_guard lock(state.mutex);
  if (state.owner == this) {
    state.sink.reset();
    state.sinkThread = nullptr;
    state.owner = nullptr;
  }
}

std::unique_ptr<AudioMixer> AlsaAudioMixers::open(qint32 device) {
  if (device != 0) {
    return nullptr;
  }
  claimErrorPrinting();
  snd_mixer_t* raw = nullptr;
  if (snd_mixer_open(&raw, 0) < 0) {
    return nullptr;
  }
  MixerHandle handle(raw);
  if (snd_mixer_attach(handle.get(), kDefaultCard) < 0 ||
      snd_mixer_selem_register(handle.get(), nullptr, nullptr) < 0 ||
      snd_mixer_load(handle.get()) < 0) {
    return nullptr;
  }
  return std::make_unique<AlsaAudioMixer>(std::move(handle));
}

void AlsaAudioMixers::setDiagnostics(std::function<void(const QString&)> sink) {
  claimErrorPrinting();
  Diagnostics& state = diagnostics();
  const std::lock_guard lock(state.mutex);
  state.sink = sink ? std::make_shared<const Sink>(std::move(sink)) : nullptr;
  state.sinkThread = QThread::currentThread();
  state.owner = this;
}
