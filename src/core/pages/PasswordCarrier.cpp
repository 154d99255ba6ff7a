#include "core/pages/PasswordCarrier.h"

namespace kex {

std::string PasswordBuffer::PasswordOf(int n)
{
    auto it = changes_.find(n);
    if (it != changes_.end())
        return it->second;
    return target_ ? target_->PasswordOf(n) : std::string();
}

void PasswordBuffer::StorePassword(int n, const std::string& password) { changes_[n] = password; }

void PasswordBuffer::ErasePassword(int n) { changes_[n].clear(); }

void PasswordBuffer::Commit()
{
    if (target_)
        for (const auto& [n, password] : changes_) {
            if (password.empty())
                target_->ErasePassword(n);
            else
                target_->StorePassword(n, password);
        }
    changes_.clear();
}

} // namespace kex
