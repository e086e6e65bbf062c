/* The yardstick of the benchmarks: the least a program between two UDP
 * peers can do. One thread, one socket: a blocking recvfrom, then one
 * sendto of the same bytes to a fixed port on 127.0.0.1. Nothing else.
 * Given several ports it sends the bytes to each in turn (the least a
 * program that serves several surfaces can do).
 *
 *   bench_minimal_relay DEST_PORT...   prints "port N" once bound, then relays
 *
 * It ends when it is killed. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 9) {
        fprintf(stderr, "usage: bench_minimal_relay DEST_PORT...\n");
        return 2;
    }
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    struct sockaddr_in self;
    memset(&self, 0, sizeof self);
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = 8 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size);
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    if (fd < 0 || bind(fd, (struct sockaddr*)&self, sizeof self) != 0) return 1;
    socklen_t length = sizeof self;
    getsockname(fd, (struct sockaddr*)&self, &length);
    printf("port %d\n", ntohs(self.sin_port));
    fflush(stdout);
    struct sockaddr_in dest[8];
    int count = argc - 1;
    for (int k = 0; k < count; ++k) {
        dest[k] = self;
        dest[k].sin_port = htons((unsigned short)atoi(argv[k + 1]));
    }
    unsigned char buffer[2048];
    for (;;) {
        ssize_t n = recvfrom(fd, buffer, sizeof buffer, 0, NULL, NULL);
        for (int k = 0; n >= 0 && k < count; ++k)
            sendto(fd, buffer, (size_t)n, 0, (struct sockaddr*)&dest[k], sizeof dest[k]);
    }
}
