#include "ui/views/RetainedFrame.h"

bool RetainedFrame_CL::Item::operator==(const Item& other) const
{
    return kind != kCell && kind == other.kind && EqualRect(&place, &other.place) &&
           picture.Get() == other.picture.Get() && colour == other.colour;
}

void RetainedFrame_CL::Track(ID2D1RenderTarget* target)
{
    if (target == target_) return;
    Forget();
    target_ = target;
}

void RetainedFrame_CL::Forget()
{
    target_ = nullptr;
    shown_.clear();
    pass_.clear();
    holding_ = false;
}

void RetainedFrame_CL::BeginPass(bool complete)
{
    pass_.clear();
    complete_ = complete;
    holding_ = complete && !shown_.empty();
}

bool RetainedFrame_CL::Offer(Item item, const Release& release)
{
    if (holding_) {
        const size_t at = pass_.size();
        if (at < shown_.size() && shown_[at] == item) {
            pass_.push_back(std::move(item));
            return false;
        }
        holding_ = false;
        release(pass_);
    }
    pass_.push_back(std::move(item));
    return true;
}

void RetainedFrame_CL::EndPass(const Release& release)
{
    if (holding_) {
        holding_ = false;
        if (pass_.size() == shown_.size()) {
            ++passesHeld;
        } else {
            // Something shown last time is gone: the whole frame is drawn again.
            release(pass_);
        }
    }
    if (complete_) shown_.swap(pass_);
    else shown_.clear();
    pass_.clear();
}
