// The password file reader and the password rules fed any file content and any typed text:
// the expected text is a number 0..65535 in decimal (or the built-in one), a typed number that
// is accepted is stored as two bytes that read back as the same text.

#include "fuzzline.h"

#include "model/passwordfile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    const bool absent = in.ConsumeBool();
    const std::vector<uint8_t> file = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 8));
    const std::string typed = in.ConsumeRemainingBytesAsString();

    const auto fileBytes = absent ? std::nullopt : std::optional<std::vector<uint8_t>>(file);
    const std::string expected = ExpectedPassword(fileBytes);
    if (absent || file.size() < 2) {
        FUZZ_CHECK(expected == Password::BuiltIn);
    } else {
        FUZZ_CHECK(expected == std::to_string(file[0] | (file[1] << 8)));
    }

    const PasswordCheck check = CheckPassword(typed, expected);
    FUZZ_CHECK(check.result == Password::Accepted || check.result == Password::Refused);
    FUZZ_CHECK(check.level == 0 || (check.level == 1 && typed == expected));

    const NewPassword parsed = ParseNewPassword(typed);
    if (!parsed.ok) {
        FUZZ_CHECK(!parsed.messages.empty());
        return 0;
    }
    const auto stored = PasswordBytes(parsed.value);
    const std::string reread = ExpectedPassword(std::vector<uint8_t>(stored.begin(), stored.end()));
    FUZZ_CHECK(reread == std::to_string(parsed.value));
    FUZZ_CHECK(CheckPassword(reread, reread).level == 1);
    return 0;
}
