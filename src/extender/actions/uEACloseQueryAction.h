// Protects a window against accidental closing: the system's close command
// (close button, system menu, Alt+F4) asks first and goes through only on Yes.
#pragma once
#include <windows.h>

#include <string>

#include "uEAActions.h"

namespace vpw {

// Key CLOSE_QUERY_MESSAGE (the question, unchanged); operation CLOSEQUERY
// just asks.
class TCloseQueryAction : public TMessageHandlerAction {
public:
    static constexpr char DEFAULT_QUESTION[] = "Are you sure you want to close window?";

    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;
    void CreateOperations() override;
    bool ApplyOperation(const std::string& name) override;
    // Only listens: asking is no state of the window, so a saved operation is
    // not replayed (that would ask at every attachment and do nothing).
    void AttachWindow() override;
    // Swallows SC_CLOSE unless the user answers Yes; WM_CLOSE is never asked.
    bool BeforeMessage(TMessage& message) override;

    // True when the user confirms; the window owns the box and names it.
    bool AskClose();

    const std::string& GetQuestion() const { return question_; }

protected:
    ~TCloseQueryAction() override = default;

private:
    std::string question_;
    // The question is open: the host's own close commands from inside its
    // loop wait for the answer instead of asking again.
    bool asking_ = false;
};

}  // namespace vpw
