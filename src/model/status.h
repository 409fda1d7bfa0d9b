// The outcome of an operation that can fail for a reason the user can act on.
#pragma once

#include <string>
#include <utility>

namespace kes {

// A success, or a failure with a one-line reason such as
// "cannot read mesh file 'x.obj': no such file".
class [[nodiscard]] Status {
public:
    static Status success() { return Status(); }
    static Status failure(std::string reason) { return Status(std::move(reason)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Empty for a success.
    const std::string& reason() const { return reason_; }

private:
    Status() = default;
    explicit Status(std::string reason) : failed_(true), reason_(std::move(reason)) {}
    bool failed_ = false;
    std::string reason_;
};

} // namespace kes
