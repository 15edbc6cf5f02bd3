#pragma once

#include <exception>
#include <functional>

namespace tw {

class UserPrompts;

// Runs step and returns what it threw, or nothing.
std::exception_ptr runCatching(const std::function<void()>& step);

// Tells the user that work stopped on failure: "メモリが不足しています。" when memory ran out, a
// general error otherwise. Nothing for a null failure.
void reportWorkFailure(UserPrompts& prompts, const std::exception_ptr& failure);

// Runs step; when it throws, tells the user and returns false.
bool runReportingFailure(UserPrompts& prompts, const std::function<void()>& step);

} // namespace tw
