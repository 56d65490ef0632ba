// Taking a snapshot of the two caches, with caches of the test's own that write down what is
// done to them: the event log's lock before the sensors', given back in the reverse order
// before the snapshot is returned; the sensor lists made from the inventory the log's refresh
// rebuilt only when the log was asked for; a part that cannot be refreshed left out and the
// other kept; and the caches' own shared values handed out, not copies. (That the built module's
// requests take the locks in this order is the protocol suite's CacheLockOrderTest.)
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

struct FakeLog {
    explicit FakeLog(Journal& done) : journal(done), lock(done, "log") {}
    NamedLock& Lock() { return lock; }
    bool Refresh(IWbemContext* context) {
        journal.push_back("refresh log");
        refreshedWith = context;
        return true;
    }
    std::shared_ptr<const LogContents> Contents() const { return contents; }

    Journal& journal;
    RecordingLock lock;
    IWbemContext* refreshedWith = nullptr;
    std::shared_ptr<const LogContents> contents = std::make_shared<const LogContents>();
};

struct FakeSensors {
    explicit FakeSensors(Journal& done) : journal(done), lock(done, "sensors") {}
    NamedLock& Lock() { return lock; }
    void MakeListsFromRebuiltInventory() { journal.push_back("lists of the log's inventory"); }
    bool Refresh(IWbemContext* context) {
        journal.push_back("refresh sensors");
        refreshedWith = context;
        return refreshes;
    }
    std::shared_ptr<const SensorInventory> SharedInventory() const { return inventory; }
    std::shared_ptr<const SensorLists> SharedLists() const { return lists; }

    Journal& journal;
    RecordingLock lock;
    bool refreshes = true;
    IWbemContext* refreshedWith = nullptr;
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
        const std::string what = std::string(row.journal);
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
