#include "emu/faults.h"

#include "emu/crc16.h"

#include <charconv>
#include <cstdlib>
#include <sstream>

namespace emu {

namespace {

struct KindName {
    FaultKind kind;
    const char* name;
    bool needsValue;
    int minValue;
    int maxValue;
    int defaultValue;
};

const KindName kKinds[] = {
    {FaultKind::Silent, "silent", false, 0, 0, 0},
    {FaultKind::Hangup, "hangup", false, 0, 0, 0},
    {FaultKind::Drop, "drop", false, 0, 0, 0},
    {FaultKind::Exception, "exception", true, 1, 255, 0},
    {FaultKind::WrongFunction, "wrong-function", false, 0, 255, 0},
    {FaultKind::BadCrc, "crc", false, 1, 3, 3},
    {FaultKind::CrcRate, "crc-rate", true, 0, 0, 0},
    {FaultKind::Partial, "partial", true, 0, 1000, 0},
    {FaultKind::Noise, "noise", true, 1, 255, 0},
};

const KindName* FindKind(const std::string& word) {
    const std::string name = word == "bad-crc"    ? "crc"
                             : word == "wrong-fn" ? "wrong-function"
                                                  : word;
    for (const auto& k : kKinds)
        if (name == k.name)
            return &k;
    return nullptr;
}

const KindName& Describe(FaultKind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind)
            return k;
    return kKinds[0];
}

bool ParseInt(const std::string& text, long long lo, long long hi, long long* out) {
    long long v = 0;
    const auto* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool ParseRate(const std::string& text, double* out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(v >= 0.0 && v <= 1.0))
        return false;
    *out = v;
    return true;
}

// A request number, absolute or "+N" after the requests already seen.
bool ParseBound(const std::string& text, uint64_t seen, uint64_t* out) {
    const bool relative = !text.empty() && text[0] == '+';
    long long v = 0;
    if (!ParseInt(relative ? text.substr(1) : text, relative ? 0 : 1, 1LL << 62, &v))
        return false;
    *out = relative ? seen + static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    return true;
}

bool ParseFunctions(const std::string& text, std::vector<uint8_t>* out) {
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        long long v = 0;
        if (!ParseInt(item, 0, 255, &v))
            return false;
        out->push_back(static_cast<uint8_t>(v));
    }
    return !out->empty();
}

bool Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

bool ParseValue(const KindName& kind, const std::string& word, Fault* fault, std::string* error) {
    if (kind.kind == FaultKind::CrcRate) {
        if (!ParseRate(word, &fault->rate))
            return Fail(error, "crc-rate: нужна вероятность от 0 до 1, а не '" + word + "'");
        return true;
    }
    long long v = 0;
    if (!ParseInt(word, kind.minValue, kind.maxValue, &v))
        return Fail(error, std::string(kind.name) + ": нужно число от " +
                               std::to_string(kind.minValue) + " до " +
                               std::to_string(kind.maxValue) + ", а не '" + word + "'");
    fault->value = static_cast<int>(v);
    return true;
}

bool ParseModifiers(const std::vector<std::string>& words, size_t i, uint64_t seen, Fault* fault,
                    std::string* error) {
    for (; i < words.size(); i += 2) {
        const std::string& key = words[i];
        if (i + 1 >= words.size())
            return Fail(error, "'" + key + "': нужно значение");
        const std::string& value = words[i + 1];
        if (key == "from") {
            if (!ParseBound(value, seen, &fault->from))
                return Fail(error, "неверный номер запроса '" + value + "'");
        } else if (key == "to") {
            if (!ParseBound(value, seen, &fault->to))
                return Fail(error, "неверный номер запроса '" + value + "'");
        } else if (key == "fn") {
            if (!ParseFunctions(value, &fault->functions))
                return Fail(error, "неверный список функций '" + value + "'");
        } else {
            return Fail(error, "неизвестное слово '" + key + "' (ожидается from, to или fn)");
        }
    }
    if (fault->to < fault->from)
        return Fail(error, "последний запрос раньше первого");
    return true;
}

} // namespace

bool Fault::AppliesTo(uint64_t request, uint8_t function) const {
    if (request < from || request > to)
        return false;
    if (functions.empty())
        return true;
    for (uint8_t f : functions)
        if (f == function)
            return true;
    return false;
}

std::optional<Fault> ParseFault(const std::string& text, uint64_t seen, std::string* error) {
    std::vector<std::string> words;
    std::stringstream in(text);
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.empty()) {
        Fail(error, "не названа неисправность");
        return std::nullopt;
    }
    const KindName* kind = FindKind(words[0]);
    if (!kind) {
        Fail(error, "неизвестная неисправность '" + words[0] + "'");
        return std::nullopt;
    }
    Fault fault;
    fault.kind = kind->kind;
    fault.value = kind->defaultValue;
    size_t i = 1;
    const bool hasValue =
        i < words.size() && words[i] != "from" && words[i] != "to" && words[i] != "fn";
    if (hasValue) {
        if (kind->maxValue == 0 && kind->kind != FaultKind::CrcRate) {
            Fail(error, std::string(kind->name) + ": значение не принимается");
            return std::nullopt;
        }
        if (!ParseValue(*kind, words[i], &fault, error))
            return std::nullopt;
        ++i;
    } else if (kind->needsValue) {
        Fail(error, std::string(kind->name) + ": нужно значение");
        return std::nullopt;
    }
    if (!ParseModifiers(words, i, seen, &fault, error))
        return std::nullopt;
    return fault;
}

std::string FaultToString(const Fault& fault) {
    const KindName& kind = Describe(fault.kind);
    std::string text = kind.name;
    if (fault.kind == FaultKind::CrcRate) {
        std::ostringstream rate;
        rate << fault.rate;
        text += " " + rate.str();
    } else if (kind.maxValue != 0) {
        text += " " + std::to_string(fault.value);
    }
    text += " from " + std::to_string(fault.from);
    if (fault.to != std::numeric_limits<uint64_t>::max())
        text += " to " + std::to_string(fault.to);
    if (!fault.functions.empty()) {
        text += " fn ";
        for (size_t i = 0; i < fault.functions.size(); ++i)
            text += (i ? "," : "") + std::to_string(fault.functions[i]);
    }
    return text;
}

uint64_t FaultRandom::Next() {
    // splitmix64: tiny, and the same numbers everywhere for a given seed
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double FaultRandom::Unit() {
    return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

FaultVerdict FaultSet::Before(uint64_t request, uint8_t function) const {
    FaultVerdict verdict;
    for (const auto& f : faults_) {
        if (!f.AppliesTo(request, function))
            continue;
        if (f.kind == FaultKind::Silent)
            verdict.silent = true;
        else if (f.kind == FaultKind::Hangup)
            verdict.hangup = true;
        else if (f.kind == FaultKind::Drop)
            verdict.drop = true;
        else if (f.kind == FaultKind::Exception && verdict.exception == 0)
            verdict.exception = f.value;
    }
    return verdict;
}

void FaultSet::Damage(std::vector<uint8_t>& reply, uint64_t request, uint8_t function) {
    if (reply.size() < 4)
        return;
    // contents first (with a fresh CRC), then the CRC, then the length, then what precedes it
    for (const auto& f : faults_) {
        if (f.kind != FaultKind::WrongFunction || !f.AppliesTo(request, function))
            continue;
        reply[1] = static_cast<uint8_t>(f.value != 0 ? f.value : ((reply[1] & 0x7F) + 1) & 0x7F);
        reply.resize(reply.size() - 2);
        AppendCrc(reply);
    }
    for (const auto& f : faults_) {
        if (!f.AppliesTo(request, function))
            continue;
        const size_t n = reply.size();
        if (f.kind == FaultKind::BadCrc) {
            if (f.value & 1)
                reply[n - 2] ^= 0xFF;
            if (f.value & 2)
                reply[n - 1] ^= 0xFF;
        } else if (f.kind == FaultKind::CrcRate && random_.Unit() < f.rate) {
            reply[n - 1] ^= static_cast<uint8_t>(1 + random_.Next() % 255);
        }
    }
    for (const auto& f : faults_)
        if (f.kind == FaultKind::Partial && f.AppliesTo(request, function) &&
            static_cast<size_t>(f.value) < reply.size())
            reply.resize(static_cast<size_t>(f.value));
    for (const auto& f : faults_) {
        if (f.kind != FaultKind::Noise || !f.AppliesTo(request, function))
            continue;
        std::vector<uint8_t> noise(static_cast<size_t>(f.value));
        for (auto& b : noise)
            b = static_cast<uint8_t>(random_.Next());
        reply.insert(reply.begin(), noise.begin(), noise.end());
    }
}

} // namespace emu
