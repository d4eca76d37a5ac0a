// Builds node trees from the layout editor's scene files (".ccb" property
// lists): creates each node by its kind or by a registered custom class,
// applies its properties, builds its children, binds named nodes to fields
// of the document's root object, wires menu items to its actions by name and
// lets each node finish its set-up in didLoadFromCCB (children first, the
// root last).
//
// C++ has no run-time class look-up, so a game class that a scene file names
// registers itself: how to create it, which fields a file may bind and which
// actions a menu item may call. See CCBClassBuilder below.
//
// Every problem is a "WARNING! ..." log line; only an unreadable document, a
// too-new file version or an unknown node kind (that subtree only) stop a load.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/CCNode.h"
#include "engine/ccTypes.h"
#include "platform/Value.h"

// Implemented by nodes that finish their own set-up once their properties,
// subtree and member bindings are in place.
class CCBNodeLoadListener {
public:
    virtual ~CCBNodeLoadListener() = default;
    virtual void didLoadFromCCB() = 0;
};

// What the reader knows of one game class.
struct CCBClassInfo {
    // A new instance, not yet initialised: the reader calls init() once.
    std::function<Ref<CCNode>()> create;
    // Whether an object is of this class (or a subclass).
    std::function<bool(CCObject*)> isInstance;
    // Stores a node into a named field of the object; false when the field
    // cannot hold that kind of node.
    std::map<std::string, std::function<bool(CCObject* self, CCNode* node)>> members;
    // Action methods by selector name ("menuItemClick:"), called with the sender.
    std::map<std::string, std::function<void(CCObject* self, CCObject* sender)>> selectors;
};

// Registers a class by name:
//   CCBClassBuilder<IntroScene>("IntroScene")
//       .member("frog", &IntroScene::frog)
//       .selector("menuItemClick:", &IntroScene::menuItemClick)
//       .add();
template <class T>
class CCBClassBuilder {
public:
    explicit CCBClassBuilder(std::string name) : name_(std::move(name)) {
        info_.create = []() -> Ref<CCNode> { return Ref<CCNode>(new T()); };
        info_.isInstance = [](CCObject* o) { return dynamic_cast<T*>(o) != nullptr; };
    }

    // field: a plain, non-owning pointer member (the parent keeps the node alive).
    template <class F>
    CCBClassBuilder& member(const std::string& name, F* T::*field) {
        info_.members[name] = [field](CCObject* self, CCNode* node) {
            auto* object = dynamic_cast<T*>(self);
            auto* value = dynamic_cast<F*>(node);
            if (!object || !value) return false;
            object->*field = value;
            return true;
        };
        return *this;
    }

    CCBClassBuilder& selector(const std::string& name, void (T::*method)(CCObject* sender)) {
        info_.selectors[name] = [method](CCObject* self, CCObject* sender) {
            if (auto* object = dynamic_cast<T*>(self)) (object->*method)(sender);
        };
        return *this;
    }

    CCBClassBuilder& selector(const std::string& name, void (T::*method)()) {
        info_.selectors[name] = [method](CCObject* self, CCObject*) {
            if (auto* object = dynamic_cast<T*>(self)) (object->*method)();
        };
        return *this;
    }

    void add();

private:
    std::string name_;
    CCBClassInfo info_;
};

class CCBReader {
public:
    CCBReader() = delete;

    static void registerClass(const std::string& name, CCBClassInfo info);

    // The root node of a scene file in the resource directory, or null.
    static Ref<CCNode> nodeGraphFromFile(const std::string& file);
    static Ref<CCNode> nodeGraphFromFile(const std::string& file, CCObject* owner);
    // A scene file's bytes (XML or binary property list), as read from a file.
    static Ref<CCNode> nodeGraphFromData(const std::uint8_t* bytes, std::size_t size, CCObject* owner);
    static Ref<CCNode> nodeGraphFromDictionary(const platform::Value& document, CCObject* owner);
    // A new, not yet initialised instance of a registered class, or null
    // when none has that name.
    static Ref<CCNode> createCustomClassWithName(const std::string& name);

    // Property readers: a missing key or a value of another shape reads as
    // 0, NO, a zero point or size, or black.
    static int intValFromDict(const platform::Value& dict, const std::string& key);
    static float floatValFromDict(const platform::Value& dict, const std::string& key);
    static bool boolValFromDict(const platform::Value& dict, const std::string& key);
    static CGPoint pointValFromDict(const platform::Value& dict, const std::string& key);
    static CGSize sizeValFromDict(const platform::Value& dict, const std::string& key);
    static ccColor3B color3ValFromDict(const platform::Value& dict, const std::string& key);
    static ccColor4F color4fValFromDict(const platform::Value& dict, const std::string& key);
    static ccBlendFunc blendFuncValFromDict(const platform::Value& dict, const std::string& key);

private:
    static Ref<CCNode> nodeFromDictionary(const platform::Value& dict, CCObject* owner, CCNode* root);
};

template <class T>
void CCBClassBuilder<T>::add() {
    CCBReader::registerClass(name_, std::move(info_));
}
