/* The minimal reference sender of bench/wire_timing.sh: one ArtDmx per
 * universe each period, on absolute deadlines of the monotonic clock, at
 * SCHED_FIFO where permitted. It shows what the capture path itself adds.
 *   wire_ref_sender LOCAL_IP TO_IP PERIOD_MS UNIVERSES SECONDS [SRC_PORT [FIRST_UNIVERSE [DST_PORT]]]
 * A source port, first universe and destination port of its own let it run
 * beside the desk, broadcasting as the desk does without the desk hearing it. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 6 || argc > 9) {
    fprintf(stderr, "usage: %s LOCAL_IP TO_IP PERIOD_MS UNIVERSES SECONDS [SRC_PORT [FIRST_UNIVERSE [DST_PORT]]]\n",
            argv[0]);
    return 2;
  }
  const long period = atol(argv[3]) * 1000000L;
  const int universes = atoi(argv[4]);
  const long rounds = atol(argv[5]) * 1000L / atol(argv[3]);
  const int srcPort = argc > 6 ? atoi(argv[6]) : 6454;
  const int first = argc > 7 ? atoi(argv[7]) : 0;
  const int dstPort = argc > 8 ? atoi(argv[8]) : 6454;
  struct sched_param sp = {.sched_priority = 40};
  if (sched_setscheduler(0, SCHED_FIFO, &sp) != 0) fprintf(stderr, "reference: normal priority\n");

  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  struct sockaddr_in local = {.sin_family = AF_INET, .sin_port = htons((unsigned short)srcPort)};
  inet_pton(AF_INET, argv[1], &local.sin_addr);
  if (bind(fd, (struct sockaddr*)&local, sizeof local) != 0) perror("reference: bind");
  struct sockaddr_in to = {.sin_family = AF_INET, .sin_port = htons((unsigned short)dstPort)};
  inet_pton(AF_INET, argv[2], &to.sin_addr);

  unsigned char pkt[530] = "Art-Net";
  pkt[8] = 0x00, pkt[9] = 0x50, pkt[11] = 14, pkt[16] = 2;
  struct timespec next;
  clock_gettime(CLOCK_MONOTONIC, &next);
  for (long r = 0; r < rounds; ++r) {
    next.tv_nsec += period;
    while (next.tv_nsec >= 1000000000L) next.tv_nsec -= 1000000000L, ++next.tv_sec;
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    for (int u = 0; u < universes; ++u) {
      pkt[14] = (unsigned char)(first + u);
      pkt[18] = (unsigned char)r;
      sendto(fd, pkt, sizeof pkt, 0, (struct sockaddr*)&to, sizeof to);
    }
  }
  close(fd);
  return 0;
}
