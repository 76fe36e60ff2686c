/* The cost yardstick of bench/headless_cost.sh: the least a program can do to
 * send the desk's Art-Net stream, one 512-slot ArtDmx to the broadcast
 * address every 100 ms on absolute deadlines. Usage: artdmx_reference BROADCAST_IPV4 */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>

int main(int argc, char** argv) {
  /* No default address: it broadcasts, so only headless_cost.sh, inside the
   * private network namespace it makes, names one. */
  if (argc != 2) {
    fprintf(stderr, "usage: artdmx_reference BROADCAST_IPV4 (run by bench/headless_cost.sh only)\n");
    return 2;
  }
  const char* to = argv[1];
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  int on = 1;
  setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  struct sockaddr_in dst;
  memset(&dst, 0, sizeof dst);
  dst.sin_family = AF_INET;
  dst.sin_port = htons(6454);
  inet_pton(AF_INET, to, &dst.sin_addr);
  unsigned char p[18 + 512];
  memset(p, 0, sizeof p);
  memcpy(p, "Art-Net", 8);
  p[9] = 0x50;  /* OpDmx, little-endian 0x5000 */
  p[11] = 14;   /* protocol version */
  p[16] = 2;    /* length 512, big-endian */
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  for (;;) {
    p[12] = (unsigned char)(p[12] % 255 + 1); /* sequence 1..255 */
    sendto(s, p, sizeof p, 0, (struct sockaddr*)&dst, sizeof dst);
    t.tv_nsec += 100000000;
    if (t.tv_nsec >= 1000000000) {
      t.tv_nsec -= 1000000000;
      t.tv_sec += 1;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, NULL);
  }
}
