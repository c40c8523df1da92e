#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

#include "platform/SerialDevices.h"

// Mode texts come from our own code today, but the syntax is the one users know from the
// platform's "mode" command, so the parser takes any spelling of it that command took: keys and
// values in any case, any number of spaces between the pairs.
namespace {

// The rates a Linux serial driver can be given through the standard termios speeds. Rates the
// old platform knew but termios has no speed for (14400, 56000, 128000, 256000) are refused
// here, so that a mode text either applies as written or fails before the device is touched.
constexpr std::array<quint32, 19> kBaudRates = {
    110,   150,   200,   300,    600,    1200,   1800,   2400,   4800,  9600,
    19200, 38400, 57600, 115200, 230400, 460800, 500000, 576000, 921600};

// The two-digit abbreviations of the "mode" command: the first two digits of the rate.
struct LegacyBaud {
  quint32 abbreviation;
  quint32 rate;
};
constexpr std::array<LegacyBaud, 9> kLegacyBauds = {{{11, 110},
                                                     {15, 150},
                                                     {30, 300},
                                                     {60, 600},
                                                     {12, 1200},
                                                     {24, 2400},
                                                     {48, 4800},
                                                     {96, 9600},
                                                     {19, 19200}}};

// Longer than any rate: a value this long cannot be one, and the digits need not be converted.
constexpr qsizetype kMaxBaudDigits = 7;

std::optional<quint32> parseBaud(QStringView value) {
  if (value.isEmpty() || value.size() > kMaxBaudDigits) {
    return std::nullopt;
  }
  quint32 number = 0;
  for (const QChar c : value) {
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
    number = number * 10 + static_cast<quint32>(c.unicode() - u'0');
  }
  if (value.front() == u'0') {
    return std::nullopt;
  }
  for (const LegacyBaud& legacy : kLegacyBauds) {
    if (number == legacy.abbreviation) {
      return legacy.rate;
    }
  }
  for (const quint32 rate : kBaudRates) {
    if (number == rate) {
      return rate;
    }
  }
  return std::nullopt;
}

std::optional<SerialLineSettings::Switch> parseSwitch(QStringView value) {
  if (value == u"on") {
    return SerialLineSettings::Switch::On;
  }
  if (value == u"off") {
    return SerialLineSettings::Switch::Off;
  }
  return std::nullopt;
}

std::optional<SerialLineSettings::LineControl> parseLineControl(QStringView value,
                                                                bool toggleAllowed) {
  using LineControl = SerialLineSettings::LineControl;
  if (value == u"on") {
    return LineControl::On;
  }
  if (value == u"off") {
    return LineControl::Off;
  }
  if (value == u"hs") {
    return LineControl::Handshake;
  }
  if (toggleAllowed && value == u"tg") {
    return LineControl::Toggle;
  }
  return std::nullopt;
}

// Applies one pair to `settings`; false for a key or value the syntax does not have.
bool applyPair(QStringView key, QStringView value, SerialLineSettings& settings) {
  using Parity = SerialLineSettings::Parity;
  using StopBits = SerialLineSettings::StopBits;
  if (key == u"baud") {
    const std::optional<quint32> baud = parseBaud(value);
    if (baud) {
      settings.baud = *baud;
    }
    return baud.has_value();
  }
  if (key == u"parity") {
    static constexpr std::array<std::pair<char16_t, Parity>, 5> kParities = {
        {{u'n', Parity::None},
         {u'e', Parity::Even},
         {u'o', Parity::Odd},
         {u'm', Parity::Mark},
         {u's', Parity::Space}}};
    if (value.size() != 1) {
      return false;
    }
    for (const auto& [letter, parity] : kParities) {
      if (value.front() == letter) {
        settings.parity = parity;
        return true;
      }
    }
    return false;
  }
  if (key == u"data") {
    if (value.size() != 1 || value.front() < u'5' || value.front() > u'8') {
      return false;
    }
    settings.dataBits = value.front().unicode() - u'0';
    return true;
  }
  if (key == u"stop") {
    if (value == u"1") {
      settings.stopBits = StopBits::One;
    } else if (value == u"1.5") {
      settings.stopBits = StopBits::OneAndHalf;
    } else if (value == u"2") {
      settings.stopBits = StopBits::Two;
    } else {
      return false;
    }
    return true;
  }
  if (key == u"dtr" || key == u"rts") {
    const bool isRts = key == u"rts";
    const auto control = parseLineControl(value, isRts);
    if (control) {
      (isRts ? settings.rts : settings.dtr) = *control;
    }
    return control.has_value();
  }
  struct SwitchKey {
    const char16_t* name;
    SerialLineSettings::Switch SerialLineSettings::*field;
  };
  static constexpr std::array<SwitchKey, 5> kSwitches = {
      {{u"to", &SerialLineSettings::timeouts},
       {u"xon", &SerialLineSettings::xonXoff},
       {u"odsr", &SerialLineSettings::dsrFlow},
       {u"octs", &SerialLineSettings::ctsFlow},
       {u"idsr", &SerialLineSettings::dsrSensitivity}}};
  for (const SwitchKey& entry : kSwitches) {
    if (key == QStringView(entry.name)) {
      const auto state = parseSwitch(value);
      if (state) {
        settings.*entry.field = *state;
      }
      return state.has_value();
    }
  }
  return false;
}

}  // namespace

bool BuildLineSettings(const QString& modeText, SerialLineSettings& settings) {
  // Lower case once, so that every comparison below is exact.
  const QString text = modeText.toLower();
  const QStringList pairs = text.split(QChar(u' '), Qt::SkipEmptyParts);
  if (pairs.isEmpty()) {
    return false;
  }
  // Into a copy: a text that fails half-way must not leave half its pairs applied.
  SerialLineSettings result = settings;
  // Flow control is what the text asks for and nothing else, as the "mode" syntax always had
  // it: a handshake another program left on the device would let the peer's XOFF byte (or a
  // CTS line nobody drives) hold up every frame we send.
  result.xonXoff = SerialLineSettings::Switch::Off;
  result.dsrSensitivity = SerialLineSettings::Switch::Off;
  result.ctsFlow = SerialLineSettings::Switch::Off;
  result.dsrFlow = SerialLineSettings::Switch::Off;
  result.dtr = SerialLineSettings::LineControl::On;
  result.rts = SerialLineSettings::LineControl::On;
  for (const QString& pair : pairs) {
    const qsizetype equals = pair.indexOf(u'=');
    if (equals <= 0) {
      return false;
    }
    const QStringView view(pair);
    if (!applyPair(view.first(equals), view.sliced(equals + 1), result)) {
      return false;
    }
  }
  settings = result;
  return true;
}
