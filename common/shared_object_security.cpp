#include "shared_object_security.h"

namespace tapdeck {

SharedObjectSecurity::SharedObjectSecurity()
{
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    unique_sid everyone;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put())) return;
    // The owner may always rewrite a DACL, whatever it denies, unless an
    // entry names OWNER RIGHTS: then the owner has only what that entry and
    // the others give ("Owner of a New Object"; "Well-known SIDs").
    SID_IDENTIFIER_AUTHORITY creator = SECURITY_CREATOR_SID_AUTHORITY;
    unique_sid ownerRights;
    if (!::AllocateAndInitializeSid(&creator, 1, SECURITY_CREATOR_OWNER_RIGHTS_RID, 0, 0, 0, 0, 0, 0, 0,
                                    ownerRights.put()))
        return;

    const DWORD aceSize = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);
    const DWORD aclSize = sizeof(ACL) + 3 * aceSize + 2 * ::GetLengthSid(everyone.get()) +
                          ::GetLengthSid(ownerRights.get());
    acl_.reset(::LocalAlloc(LMEM_ZEROINIT, aclSize));
    if (!acl_) return;
    auto* acl = static_cast<PACL>(acl_.get());

    if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !::AddAccessDeniedAce(acl, ACL_REVISION, WRITE_DAC | WRITE_OWNER, everyone.get()) ||
        !::AddAccessDeniedAce(acl, ACL_REVISION, WRITE_DAC | WRITE_OWNER, ownerRights.get()) ||
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
