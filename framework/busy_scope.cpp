#include "busy_scope.h"

#include "application.h"

namespace lrx::fw {

TBusyScope::TBusyScope(TApplication* app) : app_(app) {
    if (app_) ++app_->busyDepth_;
}

TBusyScope::~TBusyScope() {
    if (app_) --app_->busyDepth_;
}

}  // namespace lrx::fw
