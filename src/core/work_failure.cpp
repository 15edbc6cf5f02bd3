#include "core/work_failure.h"

#include "core/user_prompts.h"

#include <new>

namespace tw {

std::exception_ptr runCatching(const std::function<void()>& step)
{
    try {
        step();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

void reportWorkFailure(UserPrompts& prompts, const std::exception_ptr& failure)
{
    if (!failure)
        return;
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        prompts.error(QStringLiteral("メモリが不足しています。"));
    } catch (...) {
        prompts.error(QStringLiteral("処理中にエラーが発生しました。処理は中断されました。"));
    }
}

bool runReportingFailure(UserPrompts& prompts, const std::function<void()>& step)
{
    const std::exception_ptr failure = runCatching(step);
    reportWorkFailure(prompts, failure);
    return !failure;
}

} // namespace tw
