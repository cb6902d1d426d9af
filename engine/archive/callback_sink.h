// A program's callbacks as a progress sink: the C API's reports, questions
// and stop requests, with the program's own pointer.
#pragma once

#include <string>

#include "lrxpack_api.h"
#include "progress_sink.h"

namespace lrx {

class CallbackSink final : public ProgressSink {
  public:
    // callbacks may be null: then nothing is reported and nothing asked.
    explicit CallbackSink(const lrx_callbacks* callbacks)
        : callbacks_(callbacks ? *callbacks : lrx_callbacks{}) {}

    void Enter(Stage stage, const char* entry) override;
    void Resume(const char* entry) override { entry_ = entry; }
    // Below 100 until the entry is finished: 100 says it is in place.
    void Percent(int percent) override;
    void Finished(Stage stage, const char* entry) override;
    bool CancelRequested() override { return stopped_; }
    bool StopAsked() const override { return stopped_; }
    bool CanAsk() const override { return callbacks_.overwrite != nullptr; }
    OverwriteAnswer AskOverwrite(const std::string& path) override;

  private:
    void Report(int percent);

    lrx_callbacks callbacks_;
    std::string entry_;
    bool stopped_ = false;  // a callback asked for a stop
};

}  // namespace lrx
