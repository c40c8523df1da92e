#pragma once

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>

// Answers every question the office would ask while loading (damaged file, locked file,
// password, filter choice) with "abort", so that the load fails instead of opening a modal dialog
// that nobody on the handheld can answer.
class AbortingInteractionHandler final
    : public ::cppu::WeakImplHelper1<css::task::XInteractionHandler> {
 public:
  void SAL_CALL handle(const css::uno::Reference<css::task::XInteractionRequest>& request) override;
};
