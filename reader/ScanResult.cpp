#include "ScanResult.h"

namespace {

int ReplyCounts::*Counter(ReplyVerdict verdict) {
    switch (verdict) {
        case ReplyVerdict::Accepted:
            return &ReplyCounts::accepted;
        case ReplyVerdict::WrongLength:
            return &ReplyCounts::wrongLength;
        case ReplyVerdict::WrongCheck:
            return &ReplyCounts::wrongCheck;
        case ReplyVerdict::Noise:
            return &ReplyCounts::noise;
        case ReplyVerdict::PortGone:
            return &ReplyCounts::gone;
        case ReplyVerdict::Nothing:
            break;
    }
    return &ReplyCounts::nothing;
}

}  // namespace

void ReplyCounts::Count(ReplyVerdict verdict, bool echoSetAside) {
    ++(this->*Counter(verdict));
    if (echoSetAside) ++echo;
}

ReplyCounts& ReplyCounts::operator+=(const ReplyCounts& other) {
    for (int ReplyCounts::*counter :
         {&ReplyCounts::accepted, &ReplyCounts::wrongLength, &ReplyCounts::wrongCheck,
          &ReplyCounts::echo, &ReplyCounts::noise, &ReplyCounts::nothing, &ReplyCounts::gone})
        this->*counter += other.*counter;
    return *this;
}

int ReplyCounts::Of(ReplyVerdict verdict) const {
    return this->*Counter(verdict);
}

std::optional<int> ReaderIdentity::number() const {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (readerNumber.size() != 2 || !digit(readerNumber[0]) || !digit(readerNumber[1]))
        return std::nullopt;
    return readerNumber.toInt();
}
