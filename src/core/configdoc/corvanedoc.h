#pragma once
// The configuration document: one controller's program codes with their values
// and security levels, and the settings that reach the controller.

#include "comm/comprotocol.h"
#include "dictionary/directorychain.h"
#include "dictionary/valueimages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvane {

class CCorvaneDoc;

// Connection states; -1 means not yet contacted.
enum ConnectionState : std::int32_t {
    NotContacted = -1,
    NoComm = 0,
    Offline = 1,
    ReadAccess = 2,
    ProgramAccess = 4,
};

// What the controller link does at points of the document's life. The link
// layer installs itself here; a document without hooks stays unconnected.
class ConnectionHooks {
public:
    virtual ~ConnectionHooks() = default;
    // The contact routine: after new, after load, before device operations.
    virtual void contact(CCorvaneDoc& doc) = 0;
    // After a save in program mode: contact, then "LO".
    virtual void logOffAfterSave(CCorvaneDoc& doc) = 0;
    // The link of a loaded document is rebuilt from its stored settings.
    virtual void releaseProtocol(CCorvaneDoc& doc) = 0;
};

class CCorvaneDoc {
public:
    CCorvaneDoc();
    ~CCorvaneDoc();
    CCorvaneDoc(const CCorvaneDoc&) = delete;
    CCorvaneDoc& operator=(const CCorvaneDoc&) = delete;

    // A new, empty data file: zero images, no values, port COM1 at address 1.
    bool OnNewDocument();
    // Back to the constructed state: zero images and no values.
    void clearValues();

    // Program codes and their values.
    DirectoryChain& chain() { return chain_; }
    const DirectoryChain& chain() const { return chain_; }
    ValueImages& images() { return images_; }
    const ValueImages& images() const { return images_; }
    DBParam* head(int directory) { return chain_.head(directory); }
    int programCodeCount() const { return chain_.size(); }
    int valueCount() const;

    // The directory shown in the parameter list; -1 for none.
    int currentDirectory() const { return currentDirectory_; }
    void setCurrentDirectory(int directory);

    // Value access for one code.
    std::string valueText(const DBParam& p) const { return p.ValueText(images_); }
    // Stores a value (and a level when the code has one and level > 0) and sets has-value.
    bool setValue(DBParam& p, std::string_view text, int level = 0);
    int securityLevel(const DBParam& p) const { return p.SecurityLevel(images_); }

    // Communication settings: 0 = TCP/IP, n = COMn; address: serial low byte or IPv4.
    std::int32_t commPort = 1;
    std::uint32_t controllerAddress = 1;
    // Carried through the data file unchanged.
    std::int32_t reservedWord = 0;
    // Owned and updated by the link layer.
    std::unique_ptr<ComProtocol> protocol;
    std::int32_t connectionState = NotContacted;
    float controllerRevision = -1.0f;

    bool isModified() const { return modified_; }
    void setModified(bool modified = true) { modified_ = modified; }

    // The document's path and title ("Untitled" until saved or loaded).
    const std::string& pathName() const { return pathName_; }
    void setPathName(const std::string& path);
    const std::string& title() const { return title_; }

    void setConnectionHooks(ConnectionHooks* hooks) { hooks_ = hooks; }
    ConnectionHooks* connectionHooks() const { return hooks_; }
    // Runs the contact routine when a link is installed.
    void runContact();

    // Called after anything that the views show has changed.
    std::function<void()> onViewsChanged;
    void updateAllViews();

private:
    DirectoryChain chain_;
    ValueImages images_;
    int currentDirectory_ = -1;
    bool modified_ = false;
    std::string pathName_;
    std::string title_ = "Untitled";
    ConnectionHooks* hooks_ = nullptr;
};

} // namespace corvane
