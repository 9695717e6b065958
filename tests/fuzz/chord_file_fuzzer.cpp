// Any bytes read leave a table within its 33 slots that writes and reads back to the same chords.
#include "files/chord_file.h"
#include "fuzz/fuzz_require.h"

#include <cstddef>
#include <cstdint>

namespace {

// A table whose every slot holds something, so that stale entries would show.
cadenzo::UserChordTable FullTable() {
    cadenzo::UserChordTable table;
    for (int k = 0; k < cadenzo::USER_CHORD_SLOTS; ++k) {
        table.userChordName[k] = "old";
        table.userChordKey[k] = static_cast<std::uint8_t>(k);
        table.userChordFlet[k].fill(k);
    }
    table.userChordCount = cadenzo::USER_CHORD_CAPACITY;
    return table;
}

bool SameChords(const cadenzo::UserChordTable& a, const cadenzo::UserChordTable& b) {
    if (a.userChordCount != b.userChordCount)
        return false;
    for (int k = 1; k <= a.userChordCount; ++k)
        if (a.userChordName[k] != b.userChordName[k] || a.userChordKey[k] != b.userChordKey[k] ||
            a.userChordFlet[k] != b.userChordFlet[k])
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cadenzo;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    UserChordTable table = FullTable();
    const FileResult result = readChordText(table, text, "fuzz.crd");
    Require(result.ok() || !result.message.empty());
    Require(table.userChordCount >= 0 && table.userChordCount <= USER_CHORD_CAPACITY);
    for (int k = table.userChordCount + 1; k < USER_CHORD_SLOTS; ++k)
        Require(table.userChordName[k].empty());
    Require(userChordItems(table).size() == static_cast<std::size_t>(table.userChordCount) + 1);

    const std::string written = chordFileText(table);
    UserChordTable again;
    const FileResult reread = readChordText(again, written, "again.crd");
    Require(reread.ok() && reread.message.empty());
    Require(SameChords(table, again));
    Require(chordFileText(again) == written);

    // The operations on the table stay within it whatever it holds.
    Guitar guitar;
    int chord1 = 0, chord2 = 0;
    for (int k = 0; k <= table.userChordCount; ++k) {
        applyUserChord(table, k, guitar, chord1, chord2);
        const int match = matchUserChord(table, guitar);
        Require(match >= 0 && match <= table.userChordCount);
    }
    for (char32_t typed = U'@'; typed <= U'z'; ++typed) {
        int usr = table.userChordCount;
        userChordKeyPress(table, typed, usr, guitar, chord1, chord2);
        Require(usr >= -1 && usr <= table.userChordCount);
    }
    return 0;
}
