#include "provider/association_objects.h"

#include "com/class_object.h"

namespace norvwmi {

ObjectsAnswer ProviderObjects::Get(const std::string& path) {
    return Run(ProviderOperation::Get, path);
}

ObjectsAnswer ProviderObjects::Enumerate(const std::string& className) {
    return Run(ProviderOperation::Enumerate, className);
}

ObjectsAnswer ProviderObjects::Run(ProviderOperation operation, const std::string& target) {
    ProviderRequest request;
    request.operation = operation;
    request.target = target;
    const ProviderOutcome outcome = RunProviderRequest(module_, host_, request);
    const std::string what = (operation == ProviderOperation::Get ? "get " : "enum ") + target;
    for (const std::string& problem : outcome.problems) problems_.push_back(what + ": " + problem);
    ObjectsAnswer answer;
    answer.status = static_cast<std::uint32_t>(outcome.status);
    answer.step = outcome.step + " (" + what + ")";
    answer.detail = outcome.detail;
    // An object the host did not make is already a problem of the request.
    for (const auto& object : outcome.objects)
        if (const ClassObject* ours = ClassObject::Implementation(object.get()))
            answer.objects.push_back(ours->Snapshot());
    return answer;
}

}  // namespace norvwmi
