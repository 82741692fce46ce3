#pragma once

// A pass key: a method that takes a Badge<T> can only be called by T, since
// only T can make one. It lets a class open a few methods to one partner
// (a view's constraint bookkeeping to NSLayoutConstraint) without making the
// partner a friend that sees everything.
template <class T>
class Badge {
    friend T;
    constexpr Badge() = default;

public:
    Badge(const Badge&) = delete;
    Badge& operator=(const Badge&) = delete;
};
