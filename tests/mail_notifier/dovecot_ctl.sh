#!/usr/bin/env bash
# A private Dovecot POP3 server for the mail tests, on 127.0.0.1 and an unprivileged port.
#   dovecot_ctl.sh start DIR   writes DIR/dovecot.conf, DIR/users (user "karvo", password
#                              "secret", and "spaced" with "my secret pass"), an empty
#                              maildir per user, starts the server and writes the port to DIR/port
#   dovecot_ctl.sh fill DIR USER N   replaces USER's maildir with one of N new messages
#   dovecot_ctl.sh stop DIR    stops the server started in DIR
set -euo pipefail
cmd=${1:?start or stop}
dir=${2:?directory}

stop() {
  if [ -f "$dir/dovecot.pid" ]; then
    pid=$(cat "$dir/dovecot.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    rm -f "$dir/dovecot.pid"
  fi
}

port_answers() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

mail_owner() {
  # The mailbox belongs to an unprivileged uid: Dovecot refuses mail access as root.
  if [ "$(id -u)" -eq 0 ]; then
    echo "$(id -u nobody):$(id -g nobody)"
  else
    echo "$(id -u):$(id -g)"
  fi
}

fill() {
  local user=$1 count=$2 box="$dir/mail/$1"
  rm -rf "$box"
  mkdir -p "$box/new" "$box/cur" "$box/tmp"
  for i in $(seq 1 "$count"); do
    printf 'From: sender%d@example.org\r\nSubject: message %d\r\n\r\nBody %d\r\n' \
      "$i" "$i" "$i" >"$box/new/1000000$i.M${i}P1.karvo"
  done
  chown -R "$(mail_owner)" "$box"
  chmod -R a+rwX "$box"
}

write_config() {
  local port=$1 uid gid
  uid=$(mail_owner | cut -d: -f1)
  gid=$(mail_owner | cut -d: -f2)
  cat >"$dir/dovecot.conf" <<CONF
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
# A wrong password in a test need not cost the default delay.
auth_failure_delay = 0
base_dir = $dir/run
state_dir = $dir/state
log_path = $dir/dovecot.log
mail_location = maildir:$dir/mail/%u
pop3_uidl_format = %f
first_valid_uid = $uid
last_valid_uid = $uid
passdb {
  driver = passwd-file
  args = scheme=PLAIN $dir/users
}
userdb {
  driver = static
  args = uid=$uid gid=$gid home=$dir/home/%u
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = $port
  }
  inet_listener pop3s {
    port = 0
  }
}
service anvil {
  chroot =
}
CONF
  printf 'karvo:{PLAIN}secret\nspaced:{PLAIN}my secret pass\n' >"$dir/users"
  for u in karvo spaced; do
    mkdir -p "$dir/mail/$u/new" "$dir/mail/$u/cur" "$dir/mail/$u/tmp" "$dir/home/$u"
  done
  mkdir -p "$dir/run" "$dir/state"
  chown -R "$uid:$gid" "$dir/mail" "$dir/home"
  chmod -R a+rwX "$dir/mail"
  chmod 755 "$dir"
}

case "$cmd" in
  start)
    mkdir -p "$dir"
    stop
    for _ in 1 2 3 4 5; do
      port=$((20000 + RANDOM % 20000))
      port_answers "$port" && continue
      write_config "$port"
      : >"$dir/dovecot.log"
      dovecot -F -c "$dir/dovecot.conf" </dev/null >>"$dir/dovecot.out" 2>&1 &
      echo $! >"$dir/dovecot.pid"
      for _ in $(seq 1 200); do
        if port_answers "$port"; then
          echo "$port" >"$dir/port"
          exit 0
        fi
        kill -0 "$(cat "$dir/dovecot.pid")" 2>/dev/null || break
        sleep 0.05
      done
      stop
    done
    echo "dovecot_ctl: could not start Dovecot (see $dir/dovecot.out, $dir/dovecot.log)" >&2
    exit 1
    ;;
  fill)
    fill "${3:?user}" "${4:?count}"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
