#pragma once

// Publishes of one remote feed from this machine take turns, and one that was cut short is tidied
// up after by the next.
//
// Each remote feed has a lock file of its own in the user's state folder
// ($XDG_STATE_HOME/orvanix/publish, else ~/.local/state/orvanix/publish, made with mode 0700),
// named after a hash of the feed's address. A publish holds it (flock) from before it connects
// until it has ended, so the editor and orvanix-feed in a cron job wait for each other; the kernel
// lets go of it when a publisher ends, however it ends, so it never outlives one.
//
// Beside the lock file, its record names the remote files of our own that the publish holding the
// lock has under way (its temporary file, the published feed moved aside while it is replaced).
// It is written before such a file is made and cleared when the publish is over, so a publish that
// was killed leaves it behind, and the next publish of the same feed learns from it what to put
// right. Only the lock's holder reads or writes the record.

#include "text/Result.h"

#include <functional>
#include <string>

// Names of remote files of our own in the feed's folder; empty: none.
struct TRemoteLeftovers {
    std::string Temporary; // the new feed under its temporary name
    std::string Aside;     // the published feed, moved aside while it is replaced
    bool operator==(const TRemoteLeftovers&) const = default;
};

class TPublishLock {
public:
    TPublishLock() = default;
    ~TPublishLock();
    TPublishLock(const TPublishLock&) = delete;
    TPublishLock& operator=(const TPublishLock&) = delete;

    // Takes the lock of the feed at `feedAddress`, waiting while another publish holds it;
    // `keepWaiting` is asked about ten times a second meanwhile, and false gives up with ECANCELED.
    // A lock file that cannot be made fails with the reason and its path.
    TResult Acquire(const std::string& feedAddress, const std::function<bool()>& keepWaiting);

    // What the record names; nothing when there is no record or it cannot be read.
    TRemoteLeftovers Recorded() const;
    // Replaces the record: nothing left over clears it.
    TResult Record(const TRemoteLeftovers& leftovers);

private:
    int fd_ = -1;
    std::string record_;
};
