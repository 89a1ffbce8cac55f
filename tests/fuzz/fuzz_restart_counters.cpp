// The restart-counters file as a kill or a damaged disk leaves it: read, its
// counters applied to the entries, and written again.
#include "engine/RestartCounters.h"
#include "acquisition/TNic.h"
#include "FuzzCheck.h"

#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const RestartCounters::Content content =
        RestartCounters::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    SampleContext context;
    // Adapters 1 to 3 with counters that grew, and the dial-up entry.
    std::vector<IfRow> rows;
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> v;
    for (uint32_t index = 1; index <= 3; ++index) {
        IfRow row;
        row.index = index;
        row.inOctets = index == 2 ? 0 : UINT64_MAX - index;
        row.outOctets = UINT64_MAX / index;
        rows.push_back(row);
        owned.push_back(std::make_unique<TNic>(&context));
        owned.back()->setIdentity(row, index == 3);
        v.push_back(owned.back().get());
    }
    owned.push_back(std::make_unique<TNic>(&context));
    owned.back()->setDfuIdentity(QStringLiteral("dfu"));
    v.push_back(owned.back().get());

    for (const RestartCounters::Generation& g : content.generations) {
        QHash<QString, RestartCounters::Stored> counters = g.counters;
        int restored = 0;
        for (size_t k = 0; k < rows.size(); ++k)
            restored += RestartCounters::apply(counters, *v[k], rows[k]) ? 1 : 0;
        check(!RestartCounters::apply(counters, *v.back(), rows[0]) && "the dial-up entry has no counters to restore");
        check(restored >= 0 && restored <= 3);
        // Entries and the counters put into them are written as they were read.
        const RestartCounters::Content again = RestartCounters::parse(
            "boot\n" + g.fingerprint + '\n' + RestartCounters::entryLines(RestartCounters::generationOf(v, g.fingerprint)));
        check(again.generations.size() == 1);
        check(again.generations[0].owners.size() == static_cast<qsizetype>(v.size()));
        for (const TNic* nic : v) {
            if (!nic->sampled())
                continue;
            const auto stored = again.generations[0].counters.constFind(nic->Index);
            long double send = 0;
            long double received = 0;
            nic->get_alte_werte(send, received);
            check(stored != again.generations[0].counters.constEnd() && stored->send == send
                  && stored->received == received);
        }
    }
    return 0;
}
