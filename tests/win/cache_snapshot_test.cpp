// Taking a snapshot of the two caches, with caches of the test's own that write down what is
// done to them. (That the built module's requests take the locks in this order is the protocol
// suite's CacheLockOrderTest.)
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "eventlog/cache_snapshot_win.h"
#include "platform/named_lock.h"

namespace norv::win {
namespace {

using Journal = std::vector<std::string>;

class RecordingLock : public NamedLock {
public:
    RecordingLock(Journal& journal, std::string part) : journal_(journal), name_(std::move(part)) {}
    void Lock() override {
        NamedLock::Lock();
        journal_.push_back("take " + name_);
    }
    void Unlock() override {
        journal_.push_back("give " + name_);
        NamedLock::Unlock();
    }

private:
    Journal& journal_;
    std::string name_;
};

struct FakeCache {
    FakeCache(Journal& done, const std::string& part)
        : journal(done), lock(done, part), name(part) {}
    NamedLock& Lock() { return lock; }
    bool Refresh(IWbemContext* context) {
        journal.push_back("refresh " + name);
        refreshedWith = context;
        return refreshes;
    }

    Journal& journal;
    RecordingLock lock;
    std::string name;
    bool refreshes = true;
    IWbemContext* refreshedWith = nullptr;
};

struct FakeLog : FakeCache {
    explicit FakeLog(Journal& done) : FakeCache(done, "log") {}
    std::shared_ptr<const LogContents> Contents() const { return contents; }
    std::shared_ptr<const LogContents> contents = std::make_shared<const LogContents>();
};

struct FakeSensors : FakeCache {
    explicit FakeSensors(Journal& done) : FakeCache(done, "sensors") {}
    void MakeListsFromRebuiltInventory() { journal.push_back("lists of the log's inventory"); }
    std::shared_ptr<const SensorInventory> SharedInventory() const { return inventory; }
    std::shared_ptr<const SensorLists> SharedLists() const { return lists; }
    std::shared_ptr<const SensorInventory> inventory = std::make_shared<const SensorInventory>();
    std::shared_ptr<const SensorLists> lists = std::make_shared<const SensorLists>();
};

TEST(CacheSnapshotTest, TakesTheLogLockFirstAndGivesBothBackInReverseBeforeReturning) {
    constexpr struct {
        CacheParts parts;
        bool sensorsRefresh;
        const char* journal;  // what was done, in order, "; " between
        bool log, sensors;    // which parts the snapshot holds
    } kCases[] = {
        {{.log = true, .sensors = true}, true,
         "take log; refresh log; take sensors; lists of the log's inventory; refresh sensors; "
         "give sensors; give log",
         true, true},
        // The sensors cannot be refreshed: the log is kept.
        {{.log = true, .sensors = true}, false,
         "take log; refresh log; take sensors; lists of the log's inventory; refresh sensors; "
         "give sensors; give log",
         true, false},
        {{.log = true, .sensors = false}, true, "take log; refresh log; give log", true, false},
        // Without the log its lock is not taken, and the lists are not made from its inventory.
        {{.log = false, .sensors = true}, true,
         "take sensors; refresh sensors; give sensors", false, true},
        {{.log = false, .sensors = false}, true, "", false, false},
    };
    auto* const context = reinterpret_cast<IWbemContext*>(0x1234);  // passed on, never called
    for (const auto& row : kCases) {
        Journal journal;
        FakeLog log(journal);
        FakeSensors sensors(journal);
        sensors.refreshes = row.sensorsRefresh;
        const CacheSnapshot snapshot = TakeCacheSnapshot(log, sensors, row.parts, context);
        std::string done;
        for (const std::string& step : journal) done += (done.empty() ? "" : "; ") + step;
        const std::string what = row.journal;
        EXPECT_EQ(done, what);
        // The caches' own values, not copies of them.
        EXPECT_EQ(snapshot.log, row.log ? log.contents : nullptr) << what;
        EXPECT_EQ(snapshot.sensors, row.sensors ? sensors.lists : nullptr) << what;
        EXPECT_EQ(snapshot.inventory, row.sensors ? sensors.inventory : nullptr) << what;
        EXPECT_EQ(log.refreshedWith, row.parts.log ? context : nullptr) << what;
        EXPECT_EQ(sensors.refreshedWith, row.parts.sensors ? context : nullptr) << what;
    }
}

}  // namespace
}  // namespace norv::win
