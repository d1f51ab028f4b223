#pragma once

// Failures inside a composite operation are raised as Error and caught at the
// operation's edge, which releases what it made and reports a plain flag.
namespace vorlune {

class Error {
public:
    explicit Error(const char* what = "err") noexcept : what_(what) {}
    const char* what() const noexcept { return what_; }

private:
    const char* what_;
};

[[noreturn]] inline void Raise(const char* what = "err") { throw Error(what); }

inline void Check(bool ok, const char* what = "err")
{
    if (!ok) Raise(what);
}

// Runs body and turns any exception into a failure, so none escapes an operation.
template <class Body>
bool Guarded(Body&& body) noexcept
{
    try {
        return static_cast<bool>(body());
    } catch (...) {
        return false;
    }
}

}  // namespace vorlune
