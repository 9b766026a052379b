#include "shared_object_security.h"

namespace tapdeck {

SharedObjectSecurity::SharedObjectSecurity()
{
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    unique_sid everyone;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put())) return;

    const DWORD aclSize = 2 * ::GetLengthSid(everyone.get()) + 32;
    acl_.reset(::LocalAlloc(LMEM_ZEROINIT, aclSize));
    if (!acl_) return;
    auto* acl = static_cast<PACL>(acl_.get());

    if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !::AddAccessDeniedAce(acl, ACL_REVISION, WRITE_DAC | WRITE_OWNER, everyone.get()) ||
        !::AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, everyone.get()) ||
        !::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) {
        acl_.reset();
        return;
    }
    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    complete_ = true;
}

}  // namespace tapdeck
