#include "scenefile/CCBReader.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>
#include <vector>

#include "engine/CCLabelBMFont.h"
#include "engine/CCLayer.h"
#include "engine/CCMenu.h"
#include "engine/CCMenuItem.h"
#include "engine/CCParticleSystemQuad.h"
#include "engine/CCSprite.h"
#include "engine/CCSpriteFrame.h"
#include "engine/CCTextureCache.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

using platform::Value;

namespace {

const char* const kMissingTexture = "missing-texture.png";
const char* const kMissingFont = "missing-font.fnt";

std::vector<std::pair<std::string, CCBClassInfo>>& registry() {
    static std::vector<std::pair<std::string, CCBClassInfo>> classes;
    return classes;
}

const CCBClassInfo* findClass(const std::string& name) {
    for (const auto& [n, info] : registry())
        if (n == name) return &info;
    return nullptr;
}

// "<CCSprite = 0x55d0c0 | Tag = 3>", or "(null)": how the warnings name nodes.
std::string describe(CCNode* node) {
    if (!node) return "(null)";
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(*node).name(), nullptr, nullptr, &status),
                                                std::free);
    char text[256];
    std::snprintf(text, sizeof text, "<%s = %p | Tag = %d>", status == 0 ? name.get() : typeid(*node).name(),
                  static_cast<void*>(node), node->tag());
    return text;
}

std::uint8_t lowByte(int v) { return static_cast<std::uint8_t>(v & 0xff); }

// Values stored as integers but applied as floats drop their fraction first.
float intToFloat(const Value& props, const char* key) {
    return static_cast<float>(CCBReader::intValFromDict(props, key));
}

Ref<CCSprite> missingTextureSprite() {
    Ref<CCSprite> sprite = CCSprite::spriteWithFile(kMissingTexture);
    return sprite ? sprite : CCSprite::node();
}

// A sprite from a frame of a sprite sheet or from an image file; null when
// it cannot be made.
Ref<CCSprite> spriteFrom(const std::string& framesFile, const std::string& file) {
    if (!framesFile.empty()) {
        CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(framesFile);
        return CCSprite::spriteWithSpriteFrameName(file);
    }
    return CCSprite::spriteWithFile(file);
}

// The engine class of a container kind, or a registered custom class that
// derives from it.
template <class Engine>
Ref<CCNode> container(const std::string& customClass, const char* kindName) {
    if (!customClass.empty()) {
        if (!findClass(customClass)) {
            platform::log("WARNING! Class of type %s couldn't be found", customClass.c_str());
        } else {
            Ref<CCNode> custom = CCBReader::createCustomClassWithName(customClass);
            if (!dynamic_cast<Engine*>(custom.get())) {
                platform::log("WARNING! %s is not subclass of %s", customClass.c_str(), kindName);
            } else if (custom->init()) {
                return custom;
            } else {
                platform::log("WARNING! %s failed to initialise; using %s", customClass.c_str(), kindName);
            }
        }
    }
    return Engine::node();
}

Ref<CCMenuItemImage> menuItem(const Value& props, CCObject* owner, CCNode* root) {
    std::string framesFile = props["spriteFramesFile"].asString();
    Ref<CCSprite> normal = spriteFrom(framesFile, props["spriteFileNormal"].asString());
    Ref<CCSprite> selected = spriteFrom(framesFile, props["spriteFileSelected"].asString());
    Ref<CCSprite> disabled = spriteFrom(framesFile, props["spriteFileDisabled"].asString());
    if (!normal) normal = missingTextureSprite();
    if (!selected) selected = missingTextureSprite();
    if (!disabled) disabled = missingTextureSprite();

    int targetType = CCBReader::intValFromDict(props, "target");
    CCObject* target = targetType == 1 ? static_cast<CCObject*>(root) : targetType == 2 ? owner : nullptr;
    std::string selectorName = props["selector"].asString();
    CCMenuItemCallback action;
    if (!selectorName.empty() && target) {
        for (const auto& [name, info] : registry()) {
            if (!info.isInstance(target)) continue;
            auto found = info.selectors.find(selectorName);
            if (found == info.selectors.end()) continue;
            // Not retained: the target is the document's root, which owns the menu.
            action = [target, call = found->second](CCObject* sender) { call(target, sender); };
            break;
        }
        if (!action)
            platform::log("WARNING! CCMenuItemImage target doesn't respond to selector %s", selectorName.c_str());
    }
    return CCMenuItemImage::itemWithNormalSprite(normal.get(), selected.get(), disabled.get(), std::move(action));
}

Ref<CCNode> bitmapFontLabel(const Value& props) {
    std::string text = props["string"].asString();
    Ref<CCLabelBMFont> label = CCLabelBMFont::labelWithString(text, props["fontFile"].asString());
    if (!label) label = CCLabelBMFont::labelWithString(text, kMissingFont);
    return label ? Ref<CCNode>(label) : CCNode::node();
}

Ref<CCNode> particleSystem(const Value& props) {
    Ref<CCParticleSystemQuad> system = CCParticleSystemQuad::particleWithTotalParticles(2048);
    system->setTexture(CCTextureCache::sharedTextureCache()->addImage(props["spriteFile"].asString()));
    return system;
}

void applyCommon(CCNode* node, const Value& props, bool sizesItself) {
    node->setPosition(CCBReader::pointValFromDict(props, "position"));
    if (!sizesItself) node->setContentSize(CCBReader::sizeValFromDict(props, "contentSize"));
    node->setScaleX(CCBReader::floatValFromDict(props, "scaleX"));
    node->setScaleY(CCBReader::floatValFromDict(props, "scaleY"));
    node->setAnchorPoint(CCBReader::pointValFromDict(props, "anchorPoint"));
    node->setRotation(CCBReader::floatValFromDict(props, "rotation"));
    node->setIgnoreAnchorPointForPosition(!CCBReader::boolValFromDict(props, "isRelativeAnchorPoint"));
    node->setVisible(CCBReader::boolValFromDict(props, "visible"));
    node->setTag(CCBReader::intValFromDict(props, "tag"));
}

void applyLayer(CCNode* node, const Value& props) {
    auto* layer = dynamic_cast<CCLayer*>(node);
    if (!layer) return;
    layer->setIsTouchEnabled(CCBReader::boolValFromDict(props, "touchEnabled"));
    layer->setIsAccelerometerEnabled(CCBReader::boolValFromDict(props, "accelerometerEnabled"));
}

// Colour, opacity and (where the node has one) blend function.
void applyTint(CCNode* node, const Value& props, bool withBlend) {
    if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(node)) {
        rgba->setColor(CCBReader::color3ValFromDict(props, "color"));
        rgba->setOpacity(lowByte(CCBReader::intValFromDict(props, "opacity")));
    }
    if (withBlend)
        if (auto* blend = dynamic_cast<CCBlendProtocol*>(node))
            blend->setBlendFunc(CCBReader::blendFuncValFromDict(props, "blendFunc"));
}

void applyGradient(CCNode* node, const Value& props) {
    auto* gradient = dynamic_cast<CCLayerGradient*>(node);
    if (!gradient) return;
    gradient->setStartColor(CCBReader::color3ValFromDict(props, "color"));
    gradient->setStartOpacity(lowByte(CCBReader::intValFromDict(props, "opacity")));
    gradient->setEndColor(CCBReader::color3ValFromDict(props, "endColor"));
    gradient->setEndOpacity(lowByte(CCBReader::intValFromDict(props, "endOpacity")));
    gradient->setVector(CCBReader::pointValFromDict(props, "vector"));
}

void applySprite(CCNode* node, const Value& props) {
    applyTint(node, props, true);
    if (auto* sprite = dynamic_cast<CCSprite*>(node)) {
        sprite->setFlipX(CCBReader::boolValFromDict(props, "flipX"));
        sprite->setFlipY(CCBReader::boolValFromDict(props, "flipY"));
    }
}

void applyParticles(CCParticleSystemQuad* p, const Value& props) {
    using R = CCBReader;
    // Only 0 means gravity; every other value reads as radius mode.
    int read = R::intValFromDict(props, "emitterMode");
    if (read != kCCParticleModeGravity && read != kCCParticleModeRadius) {
        platform::log("WARNING! emitter mode %d read as radius mode", read);
    }
    int mode = read == kCCParticleModeGravity ? kCCParticleModeGravity : kCCParticleModeRadius;
    p->setEmitterMode(mode);
    p->setEmissionRate(R::floatValFromDict(props, "emissionRate"));
    p->setDuration(R::floatValFromDict(props, "duration"));
    p->setPosVar(R::pointValFromDict(props, "posVar"));
    p->setTotalParticles(static_cast<unsigned>(std::max(0, R::intValFromDict(props, "totalParticles"))));
    p->setLife(R::floatValFromDict(props, "life"));
    p->setLifeVar(R::floatValFromDict(props, "lifeVar"));
    p->setStartSize(intToFloat(props, "startSize"));
    p->setStartSizeVar(intToFloat(props, "startSizeVar"));
    p->setEndSize(intToFloat(props, "endSize"));
    p->setEndSizeVar(intToFloat(props, "endSizeVar"));
    p->setStartSpin(intToFloat(props, "startSpin"));
    p->setStartSpinVar(intToFloat(props, "startSpinVar"));
    p->setEndSpin(intToFloat(props, "endSpin"));
    p->setEndSpinVar(intToFloat(props, "endSpinVar"));
    p->setStartColor(R::color4fValFromDict(props, "startColor"));
    p->setStartColorVar(R::color4fValFromDict(props, "startColorVar"));
    p->setEndColor(R::color4fValFromDict(props, "endColor"));
    p->setEndColorVar(R::color4fValFromDict(props, "endColorVar"));
    p->setBlendFunc(R::blendFuncValFromDict(props, "blendFunc"));
    if (mode == kCCParticleModeGravity) {
        p->setGravity(R::pointValFromDict(props, "gravity"));
        p->setAngle(intToFloat(props, "angle"));
        p->setAngleVar(intToFloat(props, "angleVar"));
        p->setSpeed(intToFloat(props, "speed"));
        p->setSpeedVar(intToFloat(props, "speedVar"));
        p->setTangentialAccel(intToFloat(props, "tangentialAccel"));
        p->setTangentialAccelVar(intToFloat(props, "tangentialAccelVar"));
        p->setRadialAccel(intToFloat(props, "radialAccel"));
        p->setRadialAccelVar(intToFloat(props, "radialAccelVar"));
    } else {
        p->setStartRadius(intToFloat(props, "startRadius"));
        p->setStartRadiusVar(intToFloat(props, "startRadiusVar"));
        p->setEndRadius(intToFloat(props, "endRadius"));
        p->setEndRadiusVar(intToFloat(props, "endRadiusVar"));
        p->setRotatePerSecond(intToFloat(props, "rotatePerSecond"));
        p->setRotatePerSecondVar(intToFloat(props, "rotatePerSecondVar"));
    }
    // Particles move with the emitter's parent, not with the emitter.
    p->setPositionType(kCCPositionTypeGrouped);
}

void bindMember(CCNode* node, const Value& props, CCObject* owner, CCNode* root) {
    std::string name = props["memberVarAssignmentName"].asString();
    int type = CCBReader::intValFromDict(props, "memberVarAssignmentType");
    if (name.empty() || type == 0) return;
    CCObject* target = type == 2 ? owner : type == 1 ? static_cast<CCObject*>(root) : nullptr;
    if (!target) {
        platform::log("WARNING! Failed to find assignment object");
        return;
    }
    for (const auto& [className, info] : registry()) {
        if (!info.isInstance(target)) continue;
        auto found = info.members.find(name);
        if (found == info.members.end()) continue;
        if (!found->second(target, node))
            platform::log("WARNING! Member variable %s cannot hold %s", name.c_str(), describe(node).c_str());
        return;
    }
    platform::log("WARNING! Couldn't find member variable %s", name.c_str());
}

}  // namespace

void CCBReader::registerClass(const std::string& name, CCBClassInfo info) {
    for (auto& [n, existing] : registry()) {
        if (n == name) {
            existing = std::move(info);
            return;
        }
    }
    registry().emplace_back(name, std::move(info));
}

Ref<CCNode> CCBReader::createCustomClassWithName(const std::string& name) {
    const CCBClassInfo* info = findClass(name);
    return info ? info->create() : Ref<CCNode>();
}

Ref<CCNode> CCBReader::nodeGraphFromFile(const std::string& file) { return nodeGraphFromFile(file, nullptr); }

Ref<CCNode> CCBReader::nodeGraphFromFile(const std::string& file, CCObject* owner) {
    std::string path = platform::Bundle::main().resourcePath() + "/" + file;
    auto bytes = file.empty() ? std::nullopt : platform::readFile(path);
    return bytes ? nodeGraphFromData(bytes->data(), bytes->size(), owner) : nodeGraphFromDictionary(Value(), owner);
}

Ref<CCNode> CCBReader::nodeGraphFromData(const std::uint8_t* bytes, std::size_t size, CCObject* owner) {
    auto document = platform::readPropertyList(bytes, size);
    return nodeGraphFromDictionary(document ? *document : Value(), owner);
}

Ref<CCNode> CCBReader::nodeGraphFromDictionary(const Value& document, CCObject* owner) {
    if (!document.isDictionary()) {
        platform::log("WARNING! Trying to load invalid file type");
        return nullptr;
    }
    if (document["fileType"].asString() != "CocosBuilder") platform::log("WARNING! Trying to load invalid file type");
    if (document["fileVersion"].asInt() >= 2) {
        platform::log(
            "WARNING! Trying to load file made with a newer version of CocosBuilder, please update the CCBReader "
            "class");
        return nullptr;
    }
    return nodeFromDictionary(document["nodeGraph"], owner, nullptr);
}

Ref<CCNode> CCBReader::nodeFromDictionary(const Value& dict, CCObject* owner, CCNode* root) {
    const Value& className = dict["class"];
    const Value& props = dict["properties"];
    const std::string& kind = className.asString();
    std::string customClass = props["customClass"].asString();

    Ref<CCNode> node;
    if (kind == "CCParticleSystem") {
        Ref<CCNode> system = particleSystem(props);
        applyCommon(system.get(), props, false);
        applyParticles(static_cast<CCParticleSystemQuad*>(system.get()), props);
        node = system;
    } else if (kind == "CCMenuItemImage") {
        node = menuItem(props, owner, root);
        applyCommon(node.get(), props, true);
        static_cast<CCMenuItemImage*>(node.get())->setIsEnabled(boolValFromDict(props, "isEnabled"));
    } else if (kind == "CCMenu") {
        node = CCMenu::menuWithItems({});
        applyCommon(node.get(), props, false);
        applyLayer(node.get(), props);
    } else if (kind == "CCLabelBMFont") {
        node = bitmapFontLabel(props);
        applyCommon(node.get(), props, true);
        applyTint(node.get(), props, false);
    } else if (kind == "CCSprite") {
        Ref<CCSprite> sprite = spriteFrom(props["spriteFramesFile"].asString(), props["spriteFile"].asString());
        node = sprite ? sprite : missingTextureSprite();
        applyCommon(node.get(), props, true);
        applySprite(node.get(), props);
    } else if (kind == "CCLayerGradient") {
        node = container<CCLayerGradient>(customClass, "CCLayerGradient");
        applyCommon(node.get(), props, false);
        applyLayer(node.get(), props);
        applyTint(node.get(), props, true);
        applyGradient(node.get(), props);
    } else if (kind == "CCLayerColor") {
        node = container<CCLayerColor>(customClass, "CCLayerColor");
        applyCommon(node.get(), props, false);
        applyLayer(node.get(), props);
        applyTint(node.get(), props, true);
    } else if (kind == "CCLayer") {
        node = container<CCLayer>(customClass, "CCLayer");
        applyCommon(node.get(), props, false);
        applyLayer(node.get(), props);
    } else if (kind == "CCNode") {
        node = container<CCNode>(customClass, "CCNode");
        applyCommon(node.get(), props, false);
    } else {
        platform::log("WARNING! Failed to load node of type: %s", className.isString() ? kind.c_str() : "(null)");
        return nullptr;
    }

    CCNode* documentRoot = root ? root : node.get();
    for (const Value& childDict : dict["children"].asArray()) {
        Ref<CCNode> child = nodeFromDictionary(childDict, owner, documentRoot);
        if (child) {
            node->addChild(child.get(), intValFromDict(childDict["properties"], "zOrder"));
        } else {
            platform::log("WARNING! Failed to add child=%s to node=%s", describe(child.get()).c_str(),
                          describe(node.get()).c_str());
        }
    }

    bindMember(node.get(), props, owner, documentRoot);
    if (auto* listener = dynamic_cast<CCBNodeLoadListener*>(node.get())) listener->didLoadFromCCB();
    return node;
}

int CCBReader::intValFromDict(const Value& dict, const std::string& key) {
    return static_cast<int>(dict[key].asInt());
}

float CCBReader::floatValFromDict(const Value& dict, const std::string& key) { return dict[key].asFloat(); }

bool CCBReader::boolValFromDict(const Value& dict, const std::string& key) { return dict[key].asBool(); }

CGPoint CCBReader::pointValFromDict(const Value& dict, const std::string& key) {
    const Value& v = dict[key];
    return {v[0].asFloat(), v[1].asFloat()};
}

CGSize CCBReader::sizeValFromDict(const Value& dict, const std::string& key) {
    const Value& v = dict[key];
    return {v[0].asFloat(), v[1].asFloat()};
}

ccColor3B CCBReader::color3ValFromDict(const Value& dict, const std::string& key) {
    const Value& v = dict[key];
    return {lowByte(static_cast<int>(v[0].asInt())), lowByte(static_cast<int>(v[1].asInt())),
            lowByte(static_cast<int>(v[2].asInt()))};
}

ccColor4F CCBReader::color4fValFromDict(const Value& dict, const std::string& key) {
    const Value& v = dict[key];
    return {v[0].asFloat(), v[1].asFloat(), v[2].asFloat(), v[3].asFloat()};
}

ccBlendFunc CCBReader::blendFuncValFromDict(const Value& dict, const std::string& key) {
    const Value& v = dict[key];
    return {static_cast<unsigned>(v[0].asInt()), static_cast<unsigned>(v[1].asInt())};
}
