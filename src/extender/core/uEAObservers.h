// The publisher through which an action tells the agents bound to it that its
// current operation changed.
#pragma once
#include "uEAGeneralClasses.h"

namespace vpw {

// Observers in subscription order (each under a generated key).
class TObservers : public TAbstractCollection, public virtual IObservers {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    IPtr<IObserver> GetObserver(const Variant& index) override { return LookupAs<IObserver>(index); }
    void Add(IObserver* observer) override { AddGenerated(observer); }
    // Removes the first entry that is this very observer.
    bool RemoveEntry(IObserver* observer) { return RemoveReference(observer, false); }
};

class TPublisher : public TAbstractItem, public virtual IPublisherSlave, public virtual IPublisher {
public:
    TPublisher();
    bool QueryInterface(const TGUID& iid, void** out) override;

    // IPublisher
    IPtr<IItem> GetOwner() override;
    void Subscribe(IObserver* observer) override;
    void Unsubscribe(IObserver* observer) override;

    // ISlave
    void SetOwner(IOwner* owner) override;
    // Drops every observer, last first, telling each Unsubscribed; then the owner.
    void ReleaseOwner() override;
    void Connect() override {}
    void Disconnect() override {}
    void SetName(const std::string& name) override { name_ = name; }

    // IPublisherSlave
    IPtr<IObservers> GetObservers() override { return IPtr<IObservers>(observers_.get()); }
    // Update on every observer, first to last; a throwing observer ends the walk.
    void NotifyObservers() override;

protected:
    ~TPublisher() override = default;

private:
    IPtr<TObservers> observers_;
    IPtr<IPublisherOwner> owner_;
};

}  // namespace vpw
