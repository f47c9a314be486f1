#include "uEAObservers.h"

#include <vector>

namespace vpw {

bool TObservers::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IObservers>(this, iid, out) || TAbstractCollection::QueryInterface(iid, out);
}

TPublisher::TPublisher() : observers_(new TObservers()) { name_ = "Publisher"; }

bool TPublisher::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IPublisher, IPublisherSlave, ISlave>(this, iid, out) ||
           TAbstractItem::QueryInterface(iid, out);
}

IPtr<IItem> TPublisher::GetOwner() { return Supports<IItem>(owner_); }

void TPublisher::Subscribe(IObserver* observer) {
    try {
        observers_->Add(observer);
    } catch (...) {
    }
}

void TPublisher::Unsubscribe(IObserver* observer) {
    try {
        observers_->RemoveEntry(observer);
    } catch (...) {
    }
}

void TPublisher::NotifyObservers() {
    IPtr<IPublisher> self(this);  // an observer may drop the last other reference
    try {
        int n = observers_->Count();
        for (int i = 0; i < n; ++i)
            if (IPtr<IObserver> o = observers_->GetObserver(Variant(i))) o->Update(self.get());
    } catch (...) {
    }
}

void TPublisher::SetOwner(IOwner* owner) {
    try {
        owner_ = Supports<IPublisherOwner>(owner);
    } catch (...) {
    }
}

void TPublisher::ReleaseOwner() {
    IPtr<IPublisher> self(this);
    try {
        for (int i = observers_->Count() - 1; i >= 0; --i) {
            IPtr<IObserver> o = observers_->GetObserver(Variant(i));
            observers_->Remove(Variant(i));
            if (o) o->Unsubscribed(self.get());
        }
    } catch (...) {
    }
    owner_ = nullptr;
}

}  // namespace vpw
