#include "platform/linux/PlaylistXmlReader.h"

#include <QLatin1StringView>
#include <initializer_list>
#include <vector>

#include "platform/linux/PlaylistFiles.h"
#include "platform/linux/PlaylistTagScanner.h"

namespace playlistfiles {

namespace {

using L1 = QLatin1StringView;

// Elements that never hold others. Writers seldom close them ("<REF HREF=x>"), and taking one for
// an open element would put everything after it one level deeper.
bool isEmptyElement(const PlaylistTag& tag, XmlPlaylistFormat format) {
  const std::initializer_list<L1> wpl = {L1("media"), L1("meta")};
  const std::initializer_list<L1> asx = {L1("ref"),       L1("entryref"),       L1("base"),
                                         L1("param"),     L1("moreinfo"),       L1("duration"),
                                         L1("starttime"), L1("endmarker"),      L1("startmarker"),
                                         L1("logurl"),    L1("previewduration")};
  for (const L1 name : (format == XmlPlaylistFormat::Wpl) ? wpl : asx) {
    if (tag.is(name)) {
      return true;
    }
  }
  return false;
}

// An element the reader is inside, and for an ASX ENTRY whether it has given its entry yet.
struct OpenElement {
  QStringView name;
  bool entryTaken = false;
};

class XmlPlaylistReader {
 public:
  XmlPlaylistReader(XmlPlaylistFormat format, const QString& folder)
      : format_(format), entries_(folder) {}

  std::optional<PlaylistContent> read(QStringView text) {
    PlaylistTagScanner scanner(text);
    PlaylistTag tag;
    while (scanner.next(tag)) {
      if (!handle(tag)) {
        break;
      }
    }
    // A file cut inside its title keeps the words before the cut.
    finishTitle();
    if (!rootSeen_) {
      return std::nullopt;
    }
    return PlaylistContent{title_.value_or(QString()), entries_.take()};
  }

 private:
  // False once nothing more can come: a file without the root, or after the root's end.
  bool handle(const PlaylistTag& tag) {
    switch (tag.kind) {
      case PlaylistTag::Kind::Text:
        if (collectingTitle_) {
          titleText_ += tag.literal ? tag.text.toString() : decodeEntities(tag.text);
        }
        return true;
      case PlaylistTag::Kind::Start:
        finishTitle();
        return start(tag);
      case PlaylistTag::Kind::End:
        finishTitle();
        return end(tag);
    }
    return true;
  }

  bool start(const PlaylistTag& tag) {
    const bool empty = tag.selfClosing || isEmptyElement(tag, format_);
    if (!rootSeen_) {
      if (!tag.is(rootName())) {
        return false;
      }
      rootSeen_ = true;
      if (!empty) {
        open_.push_back({tag.name});
      }
      return !empty;
    }
    if (hidden_ > 0 || static_cast<qsizetype>(open_.size()) >= kMaxDepth) {
      if (!empty) {
        ++hidden_;
      }
      return true;
    }
    if (format_ == XmlPlaylistFormat::Wpl) {
      startWpl(tag);
    } else {
      startAsx(tag);
    }
    if (!empty) {
      open_.push_back({tag.name});
    }
    return true;
  }

  void startWpl(const PlaylistTag& tag) {
    if (tag.is(L1("media"))) {
      if (const auto src = tag.attribute(L1("src"))) {
        entries_.add(decodeEntities(*src));
      }
    } else if (tag.is(L1("title")) && open_.size() == 2 &&
               open_[1].name.compare(L1("head"), Qt::CaseInsensitive) == 0) {
      beginTitle(tag);
    }
  }

  void startAsx(const PlaylistTag& tag) {
    if (tag.is(L1("entry"))) {
      // ENTRY holds no ENTRY: one that opens while another is open ends it (its end tag is
      // missing).
      closeFrom(innermost(L1("entry")));
    } else if (tag.is(L1("ref"))) {
      const qsizetype entry = innermost(L1("entry"));
      if (entry >= 0 && !open_[entry].entryTaken) {
        if (const auto href = tag.attribute(L1("href"))) {
          open_[entry].entryTaken = entries_.add(decodeEntities(*href));
        }
      }
    } else if (tag.is(L1("title")) && open_.size() == 1) {
      beginTitle(tag);
    }
  }

  bool end(const PlaylistTag& tag) {
    if (isEmptyElement(tag, format_)) {
      return true;
    }
    if (hidden_ > 0) {
      --hidden_;
      return true;
    }
    // An end tag closes the innermost open element of its name and those left open inside it; one
    // that matches nothing open is a writer's slip and changes nothing.
    for (qsizetype i = static_cast<qsizetype>(open_.size()) - 1; i >= 0; --i) {
      if (open_[i].name.compare(tag.name, Qt::CaseInsensitive) == 0) {
        closeFrom(i);
        return !open_.empty();
      }
    }
    return true;
  }

  // Index of the innermost open element of that name, or -1.
  qsizetype innermost(L1 name) const {
    for (qsizetype i = static_cast<qsizetype>(open_.size()) - 1; i >= 0; --i) {
      if (open_[i].name.compare(name, Qt::CaseInsensitive) == 0) {
        return i;
      }
    }
    return -1;
  }

  void closeFrom(qsizetype index) {
    if (index >= 0) {
      open_.resize(static_cast<std::size_t>(index));
    }
  }

  // A title holds only text; the next tag ends it even where its end tag is missing.
  void beginTitle(const PlaylistTag& tag) {
    if (!title_ && !tag.selfClosing) {
      collectingTitle_ = true;
    }
  }

  void finishTitle() {
    if (collectingTitle_) {
      collectingTitle_ = false;
      title_ = titleText_;
    }
  }

  L1 rootName() const { return format_ == XmlPlaylistFormat::Wpl ? L1("smil") : L1("asx"); }

  XmlPlaylistFormat format_;
  PlaylistEntries entries_;
  std::vector<OpenElement> open_;
  // Elements open below kMaxDepth, whose contents are passed over.
  qint64 hidden_ = 0;
  bool rootSeen_ = false;
  bool collectingTitle_ = false;
  QString titleText_;
  std::optional<QString> title_;
};

}  // namespace

std::optional<PlaylistContent> readXmlPlaylist(QStringView text, XmlPlaylistFormat format,
                                               const QString& folder) {
  return XmlPlaylistReader(format, folder).read(text);
}

}  // namespace playlistfiles
