#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/Windows1252.h"
#include "shared/LibParser.h"
#include "shared/NotesReader.h"
#include "shared/PresentationModel.h"

// Any bytes as a notes file: the reader must neither crash nor leave a model whose slide count
// disagrees with the records it holds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text =
      windows1252::decode(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  PresentationModel model;
  model.Slides.assign(2, SlideRecord{});
  LibParser parser;
  ParseNotesXml(text, model, parser);
  if (model.SlideCount < 0 ||
      static_cast<std::size_t>(model.SlideCount) + 1 > model.Slides.size()) {
    std::abort();
  }
  return 0;
}
