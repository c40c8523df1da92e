#include "platform/linux/AbortingInteractionHandler.h"

#include <com/sun/star/task/XInteractionAbort.hpp>

void AbortingInteractionHandler::handle(
    const css::uno::Reference<css::task::XInteractionRequest>& request) {
  if (!request.is()) {
    return;
  }
  const auto continuations = request->getContinuations();
  for (const auto& continuation : continuations) {
    css::uno::Reference<css::task::XInteractionAbort> abort(continuation, css::uno::UNO_QUERY);
    if (abort.is()) {
      abort->select();
      return;
    }
  }
  // A request without an abort choice is left unanswered; the office then treats it as declined.
}
