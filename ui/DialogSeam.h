#pragma once

#include <deque>
#include <optional>
#include <utility>
#include <vector>

// The seam in front of a dialog: a test sets the next answer beforehand, and the next display
// returns it at once, without a window, and records what it was asked. Without an answer set the
// real dialog is shown. Every dialog of the program is reached through one of these, so no test
// ever blocks on a real window.
template <typename Request, typename Answer> class DialogSeam final {
public:
    DialogSeam() = default;
    DialogSeam(const DialogSeam&) = delete;
    DialogSeam& operator=(const DialogSeam&) = delete;

    // The next display returns `answer`; answers set one after another serve one display each,
    // in that order.
    void setNextAnswer(Answer answer) { answers_.push_back(std::move(answer)); }
    // What the displays that were answered this way were asked, oldest first.
    const std::vector<Request>& requests() const { return requests_; }
    // Forgets the answers not used yet and the requests recorded.
    void reset() {
        answers_.clear();
        requests_.clear();
    }

    // For the dialog itself: the answer set for this display, or none to show the real dialog.
    std::optional<Answer> takeAnswer(const Request& request) {
        if (answers_.empty())
            return std::nullopt;
        requests_.push_back(request);
        std::optional<Answer> answer(std::move(answers_.front()));
        answers_.pop_front();
        return answer;
    }

private:
    std::deque<Answer> answers_;
    std::vector<Request> requests_;
};
