#include "platform/springboard/BBBulletin.h"

namespace {
// Setters reached by selector are recorded in order, so the way a notice
// was built can be checked.
template <class F>
struct SetterArgument;
template <class C, class A>
struct SetterArgument<void (C::*)(A)> {
    using type = A;
};

template <auto Setter, class T = CanonicalType<typename SetterArgument<decltype(Setter)>::type>>
void recordingSetter(Object* self, SEL cmd, T value)
{
    auto* bulletin = static_cast<BBBulletin*>(self);
    bulletin->noteSetter(sel_getName(cmd));
    (bulletin->*Setter)(runtime::fromCanonical<typename SetterArgument<decltype(Setter)>::type>(std::move(value)));
}
}  // namespace

MARQEL_DEFINE_CLASS(BBAction,
    classMethod<&BBAction::actionWithLaunchBundleID>("actionWithLaunchBundleID:callblock:"))

MARQEL_DEFINE_CLASS(BBBulletin,
    function("setTitle:", &recordingSetter<&BBBulletin::setTitle>),
    function("setMessage:", &recordingSetter<&BBBulletin::setMessage>),
    function("setSectionID:", &recordingSetter<&BBBulletin::setSectionID>),
    function("setBulletinID:", &recordingSetter<&BBBulletin::setBulletinID>),
    function("setRecordID:", &recordingSetter<&BBBulletin::setRecordID>),
    function("setPublisherBulletinID:", &recordingSetter<&BBBulletin::setPublisherBulletinID>),
    function("setDate:", &recordingSetter<&BBBulletin::setDate>),
    function("setDefaultAction:", &recordingSetter<&BBBulletin::setDefaultAction>),
    function("setClearable:", &recordingSetter<&BBBulletin::setClearable>),
    function("setShowsMessagePreview:", &recordingSetter<&BBBulletin::setShowsMessagePreview>),
    function("setPublicationDate:", &recordingSetter<&BBBulletin::setPublicationDate>),
    function("setLastInterruptDate:", &recordingSetter<&BBBulletin::setLastInterruptDate>),
    function("setTurnsOnDisplay:", &recordingSetter<&BBBulletin::setTurnsOnDisplay>),
    method<&BBBulletin::title>("title"),
    method<&BBBulletin::message>("message"),
    method<&BBBulletin::sectionID>("sectionID"),
    method<&BBBulletin::bulletinID>("bulletinID"),
    method<&BBBulletin::turnsOnDisplay>("turnsOnDisplay"))

id BBAction::actionWithLaunchBundleID(const std::string& bundleID, std::function<void()> callblock)
{
    auto action = alloc<BBAction>();
    action->m_launchBundleID = bundleID;
    action->m_callblock = std::move(callblock);
    return action;
}
