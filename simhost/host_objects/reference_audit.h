// Reference counts of every host object, checked at the end of each command.
//
// An object handed to the plug-in starts with one reference, which the
// plug-in owes back. Objects the host keeps for itself (the scene while the
// command runs, parts it lends by name) start with the host's references
// only, and the plug-in owes nothing on them. At the
// end of a command every object must be back at its host references: more
// means the plug-in leaked it, fewer means it released it too often. A call on
// an object whose references are all gone is reported as well.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simhost {

struct AuditFinding {
    enum class Kind { not_released, released_too_often, used_after_release };
    Kind kind;
    int object_id;
    std::string object;  // "renderer#7"
    std::string origin;  // the operation that produced it
    std::string text;    // one sentence for people
};

struct AuditReport {
    std::vector<AuditFinding> findings;
    int objects_checked = 0;

    bool clean() const { return findings.empty(); }
    std::string text() const;
};

class ReferenceAudit {
public:
    // An object the host hands out (host_references 0) or keeps; returns the object's number.
    int enroll(std::string interface_name, std::string origin, int host_references);
    std::int32_t add_ref(int id);
    // The count after the release; it may go below zero, which is reported.
    std::int32_t release(int id);
    // The host gives up one of its own references (the scene after the command).
    void drop_host_reference(int id);
    // True while someone still holds a reference.
    bool alive(int id) const;
    void note_use(int id, const std::string& operation);
    std::int32_t references(int id) const;
    std::string name(int id) const;

    // Findings for objects enrolled since the last mark, plus lent objects and misuse since then.
    AuditReport report() const;
    // Starts a new command's accounting.
    void mark();

private:
    struct Entry {
        std::string interface_name;
        std::string origin;
        std::int32_t count = 1;
        std::int32_t host_references = 0;
        std::uint64_t generation = 0;
    };
    struct Misuse {
        int id;
        std::string operation;
    };
    std::vector<Entry> entries_;  // index id - 1
    std::vector<Misuse> misuse_;
    std::uint64_t generation_ = 0;
};

}  // namespace simhost
