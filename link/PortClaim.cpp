#include "PortClaim.h"

#include <map>
#include <mutex>

#include "PortClaimLocks.h"
#include "PortHolder.h"

namespace {

// The keys this process holds, each with its lock and the number of claims that share it.
struct Held {
    claim_locks::Handle handle;
    int claims;
};
std::mutex registryMutex;
std::map<QString, Held>& Registry() {
    static std::map<QString, Held> registry;
    return registry;
}

// One claim less on the key; its lock goes with the last.
void Drop(const QString& key) {
    auto& registry = Registry();
    const auto held = registry.find(key);
    if (held == registry.end() || --held->second.claims > 0) return;
    claim_locks::Unlock(key, held->second.handle);
    registry.erase(held);
}

}  // namespace

PortClaim PortClaim::Take(const QString& devicePath) {
    return TakeKeys(claim_locks::Keys(devicePath));
}

PortClaim PortClaim::TakeName(const QString& portPath) {
    return TakeKeys(claim_locks::NameKeys(portPath));
}

PortClaim PortClaim::TakeKeys(const QStringList& keys) {
    PortClaim claim;
    const std::lock_guard<std::mutex> lock(registryMutex);
    auto& registry = Registry();
    // Always in the same order: of two processes after the same keys, one gets them all.
    for (const QString& key : keys) {
        if (const auto held = registry.find(key); held != registry.end()) {
            ++held->second.claims;
            claim.keys_ << key;
            continue;
        }
        const claim_locks::Taken taken = claim_locks::Lock(key);
        if (!taken.held) {
            for (const QString& kept : claim.keys_) Drop(kept);
            claim.keys_.clear();
            claim.status_ = taken.available ? Status::InUse : Status::Unavailable;
            claim.holderPid_ = taken.holderPid;
            return claim;
        }
        registry.emplace(key, Held{taken.handle, 1});
        claim.keys_ << key;
    }
    claim.status_ = claim.keys_.isEmpty() ? Status::None : Status::Held;
    return claim;
}

PortClaim::PortClaim(PortClaim&& other) noexcept
    : status_(other.status_), holderPid_(other.holderPid_), keys_(std::move(other.keys_)) {
    other.keys_.clear();
    other.status_ = Status::None;
}

PortClaim& PortClaim::operator=(PortClaim&& other) noexcept {
    if (this == &other) return *this;
    Release();
    status_ = other.status_;
    holderPid_ = other.holderPid_;
    keys_ = std::move(other.keys_);
    other.keys_.clear();
    other.status_ = Status::None;
    return *this;
}

void PortClaim::Release() {
    if (!keys_.isEmpty()) {
        const std::lock_guard<std::mutex> lock(registryMutex);
        for (const QString& key : keys_) Drop(key);
        keys_.clear();
    }
    if (status_ == Status::Held) status_ = Status::None;
}

qint64 ClaimHolderPid(const QString& devicePath) {
    const std::lock_guard<std::mutex> lock(registryMutex);
    for (const QString& key : claim_locks::Keys(devicePath)) {
        if (Registry().count(key)) continue;  // this process's own
        if (const qint64 pid = claim_locks::Holder(key)) return pid;
    }
    return 0;
}

OpenResult RefusedByClaim(const PortClaim& claim, int systemError) {
    OpenResult result = OpenResult::Failed(PortState::InUse, systemError);
    if (claim.holderPid() > 0) {
        const PortHolder holder = HolderOfProcess(claim.holderPid());
        result.holderPid = holder.pid;
        result.holderName = holder.name;
    }
    return result;
}
