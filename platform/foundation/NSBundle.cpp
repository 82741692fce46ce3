#include "platform/foundation/NSBundle.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSLog.h"

#include <dlfcn.h>
#include <filesystem>
#include <link.h>

MARQEL_DEFINE_CLASS(NSBundle,
    method<&NSBundle::isLoaded>("isLoaded"),
    method<&NSBundle::load>("load"),
    method<&NSBundle::bundleIdentifier>("bundleIdentifier"),
    method<&NSBundle::pathForResource>("pathForResource:ofType:"),
    classMethod<&NSBundle::bundleForClass>("bundleForClass:"),

    method<&NSBundle::infoDictionary>("infoDictionary"),
    method<&NSBundle::principalClass>("principalClass"))

namespace {
struct Bundles {
    std::mutex mutex;
    std::map<std::string, std::function<bool()>> loaders;
    std::map<std::string, std::shared_ptr<NSBundle>> bundles;
};
Bundles& bundles()
{
    static auto* instance = new Bundles;
    return *instance;
}

// "/a/B.bundle/" and "/a/B.bundle" are one bundle; its name is the last
// component either way.
std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}
}  // namespace

std::shared_ptr<NSBundle> NSBundle::mainBundle()
{
    static auto* instance = new std::shared_ptr<NSBundle>(alloc<NSBundle>(std::string("/")));
    return *instance;
}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const std::string& givenPath)
{
    std::string devicePath = withoutTrailingSlashes(givenPath);
    auto& b = bundles();
    std::lock_guard lock(b.mutex);
    if (auto it = b.bundles.find(devicePath); it != b.bundles.end())
        return it->second;
    bool known = b.loaders.count(devicePath) > 0;
    auto host = DevicePath::toHost(devicePath);
    std::error_code ec;
    if (!known && !(host && std::filesystem::is_directory(host.value(), ec)))
        return nullptr;
    auto bundle = alloc<NSBundle>(devicePath);
    b.bundles[devicePath] = bundle;
    return bundle;
}

void NSBundle::registerLoader(const std::string& devicePath, std::function<bool()> loader)
{
    std::lock_guard lock(bundles().mutex);
    bundles().loaders[withoutTrailingSlashes(devicePath)] = std::move(loader);
}

void NSBundle::resetAll()
{
    std::lock_guard lock(bundles().mutex);
    bundles().bundles.clear();
}

std::string NSBundle::bundleIdentifier() const
{
    std::lock_guard lock(m_mutex);
    return m_identifier;
}

void NSBundle::setBundleIdentifier(std::string identifier)
{
    std::lock_guard lock(m_mutex);
    m_identifier = std::move(identifier);
}

bool NSBundle::isLoaded() const
{
    std::lock_guard lock(m_mutex);
    return m_loaded;
}

bool NSBundle::load()
{
    auto loaded = loadAndReturnError();
    if (!loaded)
        NSLog("NSBundle: %@", loaded.message());
    return loaded.ok();
}

foundation::Status NSBundle::loadAndReturnError()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_loaded)
            return {};
    }
    std::function<bool()> loader;
    {
        std::lock_guard lock(bundles().mutex);
        if (auto it = bundles().loaders.find(m_path); it != bundles().loaders.end())
            loader = it->second;
    }
    foundation::Status loaded;
    if (loader) {
        if (!loader())
            loaded = foundation::Error { foundation::ErrorCode::Failed, "cannot load " + m_path + ": its loader failed" };
    } else {
        // The executable the Info.plist names, else "<Name>.bundle/<Name>.so".
        std::string name = std::filesystem::path(m_path).stem().string() + ".so";
        auto executableKey = objectForInfoDictionaryKey("CFBundleExecutable");
        if (auto* named = executableKey.get<std::string>()) {
            if (named->empty() || named->find('/') != std::string::npos || *named == "." || *named == "..")
                return foundation::Error { foundation::ErrorCode::InvalidArgument,
                    "cannot load " + m_path + ": its Info.plist names the executable \"" + *named + "\", which is not a file name in the bundle" };
            name = *named;
        }
        auto executable = DevicePath::toHost(m_path + "/" + name);
        void* handle = executable ? dlopen(executable.value().c_str(), RTLD_NOW | RTLD_GLOBAL) : nullptr;
        if (!executable) {
            loaded = foundation::Error { executable.code(), "cannot load " + m_path + ": " + executable.message() };
        } else if (!handle) {
            const char* why = dlerror();
            loaded = foundation::Error { foundation::ErrorCode::Failed,
                "cannot load " + m_path + ": " + (why ? why : "unknown error") };
        }
        m_handle = handle;
    }
    std::lock_guard lock(m_mutex);
    m_loaded = loaded.ok();
    return loaded;
}

// ---- Resources, and the bundle a class comes from.

std::string NSBundle::loadedExecutablePath() const
{
    std::lock_guard lock(m_mutex);
    if (!m_handle)
        return "";
    link_map* map = nullptr;
    if (dlinfo(m_handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
        return "";
    return map->l_name;
}

std::shared_ptr<NSBundle> NSBundle::bundleForClass(Class cls)
{
    std::vector<std::string> definingFiles;
    for (const void* code : runtime::definingCode(cls)) {
        Dl_info info {};
        if (dladdr(code, &info) && info.dli_fname && *info.dli_fname)
            definingFiles.emplace_back(info.dli_fname);
    }
    if (!definingFiles.empty()) {
        std::vector<std::shared_ptr<NSBundle>> known;
        {
            std::lock_guard lock(bundles().mutex);
            for (const auto& [path, bundle] : bundles().bundles)
                known.push_back(bundle);
        }
        for (const auto& bundle : known) {
            std::string executable = bundle->loadedExecutablePath();
            if (executable.empty())
                continue;
            for (const auto& file : definingFiles) {
                std::error_code ec;
                if (file == executable || std::filesystem::equivalent(file, executable, ec))
                    return bundle;
            }
        }
    }
    return mainBundle();
}

std::string NSBundle::pathForResource(const std::string& name, const std::string& type) const
{
    if (name.empty())
        return "";
    std::string devicePath = m_path;
    if (devicePath.empty() || devicePath.back() != '/')
        devicePath += '/';
    devicePath += name;
    if (!type.empty())
        devicePath += (type.front() == '.' ? "" : ".") + type;
    auto host = DevicePath::toHost(devicePath);
    std::error_code ec;
    if (!host || !std::filesystem::is_regular_file(host.value(), ec))
        return "";
    return devicePath;
}

foundation::Result<PlistDict> NSBundle::readInfoDictionary() const
{
    auto host = TRY(DevicePath::toHost(m_path + "/Info.plist"));
    auto value = TRY(plist::readFile(host));
    auto* dictionary = value.get<PlistDict>();
    if (!dictionary)
        return foundation::Error { foundation::ErrorCode::UnreadableInput, m_path + "/Info.plist is not a dictionary" };
    return std::move(*dictionary);
}

std::shared_ptr<NSDictionary> NSBundle::infoDictionary()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_infoDictionary)
            return m_infoDictionary;
    }
    auto read = readInfoDictionary();
    if (!read && read.error().code != foundation::ErrorCode::NotFound)
        NSLog("NSBundle: the Info.plist of %@ cannot be read: %@", m_path, read.message());
    auto dictionary = alloc<NSDictionary>(read ? read.release() : PlistDict {});
    std::lock_guard lock(m_mutex);
    if (!m_infoDictionary)
        m_infoDictionary = dictionary;
    return m_infoDictionary;
}

PlistValue NSBundle::objectForInfoDictionaryKey(const std::string& key)
{
    auto* value = infoDictionary()->objectForKey(key);
    return value ? *value : PlistValue();
}

Class NSBundle::principalClass()
{
    auto name = objectForInfoDictionaryKey("NSPrincipalClass");
    auto* className = name.get<std::string>();
    if (!className || className->empty()) {
        NSLog("NSBundle: %@ names no NSPrincipalClass in its Info.plist", m_path);
        return nullptr;
    }
    if (!load())
        return nullptr;
    Class cls = objc_getClass(*className);
    if (!cls)
        NSLog("NSBundle: the principal class %@ of %@ is not in the runtime after loading", *className, m_path);
    return cls;
}
