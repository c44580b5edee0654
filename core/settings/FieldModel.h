#pragma once
// Common frame of the settings models: each keeps the text of its fields, the
// rules that turn a text into a value, and tells a listener when it rewrote a
// field (a replaced value) so that the page showing it can follow.
//
// A model is read by the design thread (when a run is prepared) and written by
// the window thread; a mutex guards its state, and the listener is called with
// the mutex released.

#include "text/Console.h"
#include "text/NumberText.h"
#include <array>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace dovra {

class FieldModel {
  public:
    /// Called with the field number after the model changed that field's text.
    using Listener = std::function<void(int field)>;

    explicit FieldModel(Console& console) : console_(&console) {}
    FieldModel(const FieldModel&) = delete;
    FieldModel& operator=(const FieldModel&) = delete;
    virtual ~FieldModel() = default;

    void setListener(Listener listener) {
        std::lock_guard lock(mutex_);
        listener_ = std::move(listener);
    }

  protected:
    /// Collects the fields rewritten under the lock and reports them after it.
    class Changes {
      public:
        explicit Changes(FieldModel& model) : model_(model) {}
        ~Changes() {
            if (count_ == 0) {
                return;
            }
            Listener listener;
            {
                std::lock_guard lock(model_.mutex_);
                listener = model_.listener_;
            }
            if (listener) {
                for (std::size_t i = 0; i < count_; ++i) {
                    listener(fields_[i]);
                }
            }
        }
        /// A field rewritten; each is told once.
        void add(int field) {
            for (std::size_t i = 0; i < count_; ++i) {
                if (fields_[i] == field) {
                    return;
                }
            }
            if (count_ < fields_.size()) {
                fields_[count_++] = field;
            }
        }

      private:
        FieldModel& model_;
        // No model has more fields than this; kept without allocation, as a
        // setter runs for every item a file loads.
        std::array<int, 16> fields_{};
        std::size_t count_ = 0;
    };

    Console& console() const { return *console_; }
    /// A console line that says a field's value was replaced (it names the field).
    void replaced(const std::string& line) const { console_->out(line, LineKind::Warning); }
    /// The same for a replacement the console does not show: only the views
    /// (the window's message line, the batch runner) are told.
    void replacedQuietly(const std::string& line) const {
        console_->notice(line, LineKind::Warning);
    }

    /// The line of a whole-number field whose text is none: "not a whole
    /// number" where the text is another number (2.5), else "not a number".
    static std::string notWholeNumber(const std::string& name, const std::string& text,
                                      const std::string& replacement) {
        return "Warning! " + name + " is " +
               (text::parseDouble(text) ? "not a whole number" : "not a number") + ": \"" +
               text::printable(text) + "\", using " + replacement;
    }

    mutable std::mutex mutex_;

  private:
    Console* console_;
    Listener listener_;
};

} // namespace dovra
