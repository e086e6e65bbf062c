// Runs a program with socket() limited to some address families, the way
// systemd's RestrictAddressFamilies= does it (a seccomp filter; any other
// family fails with EAFNOSUPPORT). The package test uses it to run the
// bridge under the unit's restriction where systemd is not the init.
//   restrict_families AF_INET,AF_NETLINK PROGRAM [ARGUMENT...]
// Linux only; built by .ci/package-test.sh.
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Family {
    const char* name;
    int value;
};

const Family kFamilies[] = {{"AF_UNIX", AF_UNIX}, {"AF_INET", AF_INET}, {"AF_INET6", AF_INET6},
                            {"AF_NETLINK", AF_NETLINK}, {"AF_PACKET", AF_PACKET}};

bool parseFamilies(const char* list, std::vector<int>& families)
{
    std::string text = list;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(", ", start);
        if (end == std::string::npos) end = text.size();
        std::string name = text.substr(start, end - start);
        if (!name.empty()) {
            const Family* found = nullptr;
            for (const Family& f : kFamilies)
                if (name == f.name) found = &f;
            if (!found) {
                std::fprintf(stderr, "restrict_families: unknown family %s\n", name.c_str());
                return false;
            }
            families.push_back(found->value);
        }
        start = end + 1;
    }
    return !families.empty();
}

bool installFilter(const std::vector<int>& families)
{
    std::vector<sock_filter> code;
    code.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    // Anything but socket() passes; a socket() family in the list passes.
    const unsigned count = static_cast<unsigned>(families.size());
    code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_socket, 0, static_cast<unsigned char>(count + 2)));
    code.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])));
    for (unsigned i = 0; i < count; ++i)
        code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(families[i]),
                                static_cast<unsigned char>(count - i), 0));
    code.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EAFNOSUPPORT));
    code.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    sock_fprog program{static_cast<unsigned short>(code.size()), code.data()};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> families;
    if (argc < 3 || !parseFamilies(argv[1], families)) {
        std::fprintf(stderr, "usage: restrict_families AF_INET[,AF_NETLINK...] PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    if (!installFilter(families)) {
        std::perror("restrict_families: seccomp");
        return 2;
    }
    execvp(argv[2], argv + 2);
    std::perror("restrict_families: exec");
    return 127;
}
