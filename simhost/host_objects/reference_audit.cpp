#include "simhost/host_objects/reference_audit.h"

#include <utility>

namespace simhost {

std::string AuditReport::text() const {
    if (findings.empty()) return "every host object was released exactly as often as it was handed out";
    std::string all;
    for (const AuditFinding& f : findings) {
        if (!all.empty()) all += '\n';
        all += f.text;
    }
    return all;
}

int ReferenceAudit::enroll(std::string interface_name, std::string origin, int host_references) {
    Entry e;
    e.interface_name = std::move(interface_name);
    e.origin = std::move(origin);
    // Host-held objects start with the host's references; handed-out ones with the caller's one.
    e.count = host_references > 0 ? host_references : 1;
    e.host_references = host_references;
    e.generation = generation_;
    entries_.push_back(std::move(e));
    return static_cast<int>(entries_.size());
}

std::int32_t ReferenceAudit::add_ref(int id) { return ++entries_[static_cast<std::size_t>(id - 1)].count; }

std::int32_t ReferenceAudit::release(int id) { return --entries_[static_cast<std::size_t>(id - 1)].count; }

void ReferenceAudit::drop_host_reference(int id) {
    Entry& e = entries_[static_cast<std::size_t>(id - 1)];
    --e.host_references;
    --e.count;
}

bool ReferenceAudit::alive(int id) const { return entries_[static_cast<std::size_t>(id - 1)].count > 0; }

void ReferenceAudit::note_use(int id, const std::string& operation) {
    if (!alive(id)) misuse_.push_back({id, operation});
}

std::int32_t ReferenceAudit::references(int id) const { return entries_[static_cast<std::size_t>(id - 1)].count; }

std::string ReferenceAudit::name(int id) const {
    return entries_[static_cast<std::size_t>(id - 1)].interface_name + "#" + std::to_string(id);
}

AuditReport ReferenceAudit::report() const {
    AuditReport report;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.generation != generation_ && e.host_references == 0) continue;
        ++report.objects_checked;
        const int id = static_cast<int>(i + 1);
        const std::int32_t owed = e.count - e.host_references;
        if (owed == 0) continue;
        AuditFinding f;
        f.object_id = id;
        f.object = name(id);
        f.origin = e.origin;
        if (owed > 0) {
            f.kind = AuditFinding::Kind::not_released;
            f.text = f.object + " from " + e.origin + " was not released: " + std::to_string(owed) +
                     (owed == 1 ? " reference" : " references") + " left";
        } else {
            f.kind = AuditFinding::Kind::released_too_often;
            f.text = f.object + " from " + e.origin + " was released " + std::to_string(-owed) +
                     (owed == -1 ? " time" : " times") + " too often";
        }
        report.findings.push_back(std::move(f));
    }
    for (const Misuse& m : misuse_) {
        AuditFinding f;
        f.kind = AuditFinding::Kind::used_after_release;
        f.object_id = m.id;
        f.object = name(m.id);
        f.origin = entries_[static_cast<std::size_t>(m.id - 1)].origin;
        f.text = f.object + " from " + f.origin + " was used (" + m.operation + ") after its last release";
        report.findings.push_back(std::move(f));
    }
    return report;
}

void ReferenceAudit::mark() {
    ++generation_;
    misuse_.clear();
}

}  // namespace simhost
