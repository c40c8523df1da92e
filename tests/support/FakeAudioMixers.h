#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "platform/AudioMixer.h"

// A sound card that exists only here: one master volume whose range, value and failures the test
// sets, and a record of what the code under test asked of it. The mixers it opens act on these
// fields, so the test can change the "outside" value while the code holds a mixer, and must
// outlive them.
class FakeAudioMixers final : public AudioMixers {
 public:
  // What the card offers.
  bool deviceExists = true;
  bool hasMasterVolume = true;
  AudioMixer::Range range{0, 65535};
  // The control's value, as another program would see it.
  qint64 raw = 0;
  bool readFails = false;
  bool writeFails = false;

  // What was asked of it.
  QList<qint32> openedDevices;
  int chooseCalls = 0;
  int readCalls = 0;
  // Every value a write asked for, refused or not.
  QList<qint64> writes;
  // Mixers open now (a mixer closes when destroyed).
  int openMixers = 0;

  [[nodiscard]] std::unique_ptr<AudioMixer> open(qint32 device) override {
    openedDevices << device;
    if (!deviceExists || device != 0) {
      return nullptr;
    }
    return std::make_unique<Mixer>(*this);
  }

  void setDiagnostics(std::function<void(const QString&)> sink) override {
    sink_ = std::move(sink);
  }

  // A complaint of the sound system, delivered as the real card would: to the sink, or nowhere.
  void complain(const QString& text) const {
    if (sink_) {
      sink_(text);
    }
  }

 private:
  class Mixer final : public AudioMixer {
   public:
    explicit Mixer(FakeAudioMixers& card) : card_(card) { ++card_.openMixers; }
    ~Mixer() override { --card_.openMixers; }
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    [[nodiscard]] bool chooseMasterVolume() override {
      ++card_.chooseCalls;
      if (!chosen_) {
        chosen_ = card_.hasMasterVolume;
      }
      return *chosen_;
    }
    [[nodiscard]] Range range() const override {
      return chosen_.value_or(false) ? card_.range : Range{};
    }
    [[nodiscard]] std::optional<qint64> value() override {
      ++card_.readCalls;
      if (!chosen_.value_or(false) || card_.readFails) {
        return std::nullopt;
      }
      return card_.raw;
    }
    [[nodiscard]] bool setValue(qint64 value) override {
      card_.writes << value;
      if (!chosen_.value_or(false) || card_.writeFails || value < card_.range.minimum ||
          value > card_.range.maximum) {
        return false;
      }
      card_.raw = value;
      return true;
    }

   private:
    FakeAudioMixers& card_;
    std::optional<bool> chosen_;
  };

  std::function<void(const QString&)> sink_;
};
